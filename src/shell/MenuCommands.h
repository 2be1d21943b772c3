#pragma once

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
        QString selection; // the selection case it sets
    };

    // Takes the view model (or none yet). Not default-constructible on
    // purpose: QML then creates its singleton through create(), which hands
    // out the shared instance instead of a new one.
    explicit MenuCommands(BrimlarkViewModel *viewModel, QObject *parent = nullptr);

    // The process's one instance; QML gets this one too.
    static MenuCommands &shared();
    static MenuCommands *create(QQmlEngine *qmlEngine, QJSEngine *jsEngine);

    static const std::vector<LibraryCommand> &libraryCommands();
    QVariantList libraryCommandList() const;

    // Not owned; the view model outlives the window's commands.
    void setViewModel(BrimlarkViewModel *viewModel) { m_viewModel = viewModel; }
    BrimlarkViewModel *viewModel() const { return m_viewModel; }

    // Posts "brimLarkSearchFocusRequested"; whether the search field takes
    // the focus is the grid's decision.
    Q_INVOKABLE void searchApps();
    // Sets the view model's selection to the section; a name that is not a
    // Library section does nothing.
    Q_INVOKABLE void showLibrarySection(const QString &selection);
    // Runs the quit handler (the application's quit), or ends the event
    // loop when there is none.
    Q_INVOKABLE void quit();
    void setQuitHandler(std::function<void()> handler) { m_quit = std::move(handler); }

private:
    BrimlarkViewModel *m_viewModel = nullptr;
    std::function<void()> m_quit;
};

} // namespace brimlark
