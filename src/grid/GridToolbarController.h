#pragma once

#include "state/CatalogClient.h"

#include "model/AppSortOption.h"
#include "state/BrimlarkViewModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <array>
#include <chrono>

namespace brimlark {

class NotificationCenter;

// The grid toolbar's rules: which navigation and trailing controls show, the
// search field's trailing slot, the sort menu, the desk-tool popovers and who
// may give the search field the keyboard focus, and when. The view lays the
// toolbar out and forwards presses and platform notices here. Main thread only.
class GridToolbarController : public CatalogClient
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::HiddenItemsLock *hiddenItemsLock READ hiddenItemsLock WRITE setHiddenItemsLock NOTIFY
            hiddenItemsLockChanged)
    // Whether the screen ruler shows: a reopen of the program then brings
    // the measure popover back.
    Q_PROPERTY(bool isRulerShowing MEMBER m_isRulerShowing NOTIFY isRulerShowingChanged)
    // The search field itself: focus requests are refused while the user
    // types elsewhere in its window or a popup of that window is open.
    Q_PROPERTY(QQuickItem *searchField READ searchField WRITE setSearchField NOTIFY searchFieldChanged)
    // What the grid shows below the toolbar: a new selection leaves it, so a
    // field there (a lock screen's password) does not keep the focus from
    // the search field.
    Q_PROPERTY(QQuickItem *content MEMBER m_content NOTIFY contentChanged)
    // The toolbar's own sort menu is open.
    Q_PROPERTY(bool sortMenuOpen MEMBER m_sortMenuOpen NOTIFY sortMenuOpenChanged)

    Q_PROPERTY(bool isSearchFocused READ isSearchFocused WRITE setSearchFocused NOTIFY isSearchFocusedChanged)
    Q_PROPERTY(bool showsBackButton READ showsBackButton NOTIFY selectionStateChanged)
    Q_PROPERTY(TrailingControl trailingControl READ trailingControl NOTIFY selectionStateChanged)
    Q_PROPERTY(SearchAccessory searchAccessory READ searchAccessory NOTIFY searchAccessoryChanged)
    // One entry per sort option, in order: "title" and "symbol" (the check
    // mark on the current option, else empty).
    Q_PROPERTY(QVariantList sortOptions READ sortOptions NOTIFY sortOptionsChanged)
    // One entry per desk tool, in toolbar order: "symbol" and "name".
    Q_PROPERTY(QVariantList deskTools READ deskTools CONSTANT)
    // Whether each desk tool's popover is open, in toolbar order.
    Q_PROPERTY(QList<bool> openDeskTools READ openDeskTools NOTIFY openDeskToolsChanged)

public:
    // QML reads enumerators by name, which needs capitals.
    enum class DeskTool { ColorPicker, MeasureRuler, QRGenerator, StickyNotes, Snippets };
    Q_ENUM(DeskTool)
    static constexpr int deskToolCount = 5;
    // What follows the desk-tool buttons.
    enum class TrailingControl { None, AddApps, SortMenu };
    Q_ENUM(TrailingControl)
    // What ends the search bar.
    enum class SearchAccessory { Nothing, ShortcutBadge, ClearButton };
    Q_ENUM(SearchAccessory)

    // The second focus write after the search bar comes into view.
    static constexpr std::chrono::milliseconds appearanceRefocusDelay { 300 };

    explicit GridToolbarController(QObject *parent = nullptr);

    HiddenItemsLock *hiddenItemsLock() const { return m_lock; }
    void setHiddenItemsLock(HiddenItemsLock *lock);
    QQuickItem *searchField() const;
    void setSearchField(QQuickItem *field);
    // Where the hot key, search command and reopen notices come from; the
    // view model's centre unless set.
    void setNotificationCenter(NotificationCenter &center);

    bool isSearchFocused() const { return m_isSearchFocused; }
    void setSearchFocused(bool focused);
    bool showsBackButton() const;
    TrailingControl trailingControl() const;
    static SearchAccessory searchAccessoryFor(const QString &query, bool focused);
    // The query a text typed or pasted into the one-line field stands for:
    // its line breaks are spaces, as the field shows no second line.
    Q_INVOKABLE static QString queryFromField(const QString &text);
    SearchAccessory searchAccessory() const;
    QVariantList sortOptions() const;
    static QVariantList deskTools();
    QList<bool> openDeskTools() const { return QList<bool>(m_open.begin(), m_open.end()); }
    bool isShowing(DeskTool tool) const { return m_open[std::size_t(tool)]; }

    // Presses.
    Q_INVOKABLE void showAllApps();
    Q_INVOKABLE void clearSearch();
    Q_INVOKABLE void addApps();
    Q_INVOKABLE void chooseSortOption(int index);
    // A button only ever opens its popover; the popover reports its own
    // closing through deskToolClosed().
    Q_INVOKABLE void openDeskTool(brimlark::GridToolbarController::DeskTool tool);
    Q_INVOKABLE void deskToolClosed(brimlark::GridToolbarController::DeskTool tool);

    // Focus triggers the view forwards.
    Q_INVOKABLE void searchBarAppeared();
    Q_INVOKABLE void applicationBecameActive();
    Q_INVOKABLE void windowBecameKey();

    // The hidden section shown locked or without a password refuses a
    // request; so does anything else the user is busy with in the window.
    // An editor inside `leaving` is on the screen being left: it does not count.
    bool focusRequestAllowed(const QQuickItem *leaving = nullptr) const;
    // `countEditors`: whether another text editor holding the focus counts.
    bool interfaceBusy(bool countEditors = true, const QQuickItem *leaving = nullptr) const;
    // The window facts: true while a popup (other than a tooltip) is open
    // in the field's window or (with `countEditors`) another text editor
    // there, outside `leaving`, holds the focus.
    static bool windowBusy(
        const QQuickItem *field, bool countEditors = true, const QQuickItem *leaving = nullptr);

signals:
    void hiddenItemsLockChanged();
    void isRulerShowingChanged();
    void searchFieldChanged();
    void contentChanged();
    void sortMenuOpenChanged();
    void isSearchFocusedChanged();
    void selectionStateChanged();
    void searchAccessoryChanged();
    void sortOptionsChanged();
    void openDeskToolsChanged();

protected:
    void viewModelBound() override;

private:
    void guardedRequest();
    void refocus();
    void writeIfFree(bool focused);
    // Writes true once the delay has passed, if nothing covers the window.
    void writeLater(std::chrono::milliseconds delay);
    void observeNotifications(NotificationCenter &center);

    QPointer<HiddenItemsLock> m_lock;
    QPointer<QQuickItem> m_searchField;
    QPointer<QQuickItem> m_content;
    QPointer<NotificationCenter> m_center;
    bool m_centerSetExplicitly = false;
    QList<quint64> m_observerTokens;
    bool m_isRulerShowing = false;
    bool m_sortMenuOpen = false;
    // Whether the app picker was shown at its last notice.
    bool m_pickerShown = false;
    bool m_isSearchFocused = true;
    std::array<bool, deskToolCount> m_open {};
};

} // namespace brimlark
