#pragma once

#include "state/SidebarSelection.h"

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <vector>

QT_BEGIN_NAMESPACE
class QJSEngine;
class QQmlEngine;
QT_END_NAMESPACE

namespace brimlark {

class BrimlarkViewModel;
class NotificationCenter;

// The window's menu commands: "Search Apps" (Ctrl+K), the "Library" menu
// (Ctrl+1 to Ctrl+4) and "Quit" (Ctrl+Q). The menus in QML show what
// libraryCommands lists and call back here.
class MenuCommands : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QVariantList libraryCommands READ libraryCommandList CONSTANT)
public:
    struct LibraryCommand
    {
        QString title;
        QString shortcut;
        SidebarSelection::Kind selection; // the section it selects
    };

    // Posts to the centre and selects in the view model (either may be none
    // yet: then those commands do nothing). Not default-constructible on
    // purpose: QML then gets its singleton through create(), which hands out
    // the instance attached to the engine instead of a new one.
    MenuCommands(NotificationCenter *center, BrimlarkViewModel *viewModel, QObject *parent = nullptr);

    // The engine's QML singleton is this object from now on (set before the
    // engine first uses it). It must outlive the engine's QML.
    void attachTo(QQmlEngine &engine);
    // The instance attached to the engine, or none.
    static MenuCommands *create(QQmlEngine *qmlEngine, QJSEngine *jsEngine);

    static const std::vector<LibraryCommand> &libraryCommands();
    QVariantList libraryCommandList() const;

    // Not owned; the view model outlives the window's commands.
    void setViewModel(BrimlarkViewModel *viewModel) { m_viewModel = viewModel; }
    BrimlarkViewModel *viewModel() const { return m_viewModel; }

    // Posts "brimLarkSearchFocusRequested"; whether the search field takes
    // the focus is the grid's decision.
    Q_INVOKABLE void searchApps();
    // Selects the section in the view model, also when it is selected
    // already; a section the Library menu does not list does nothing.
    Q_INVOKABLE void showLibrarySection(brimlark::SidebarSelection::Kind section);
    // Runs the quit handler (the application's quit), or ends the event
    // loop when there is none.
    Q_INVOKABLE void quit();
    void setQuitHandler(std::function<void()> handler) { m_quit = std::move(handler); }

private:
    NotificationCenter *m_center = nullptr;
    BrimlarkViewModel *m_viewModel = nullptr;
    std::function<void()> m_quit;
};

// Lets the menus name the sections (SidebarSelection.Kind.recents); the
// selection type itself stays plain C++.
namespace SidebarSelectionEnums {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(brimlark::SidebarSelection)
QML_NAMED_ELEMENT(SidebarSelection)
} // namespace SidebarSelectionEnums

} // namespace brimlark
