#include "grid/GridToolbarController.h"

#include "state/ViewModelBinding.h"

#include "platform/core/NotificationCenter.h"
#include "platform/core/Scheduler.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QVariantMap>

#include <QTimer>

namespace brimlark {

namespace {

QVariantMap deskTool(const char *symbol, const char *name)
{
    return { { QStringLiteral("symbol"), QString::fromLatin1(symbol) },
        { QStringLiteral("name"), QString::fromLatin1(name) } };
}

bool isTextEditor(const QQuickItem *item)
{
    return item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit");
}

} // namespace

GridToolbarController::GridToolbarController(QObject *parent)
    : CatalogClient(parent)
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) {
                applicationBecameActive();
            }
        });
        connect(app, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
            if (window) {
                windowBecameKey();
            }
        });
    }
}

void GridToolbarController::setNotificationCenter(NotificationCenter &center)
{
    m_centerSetExplicitly = true;
    observeNotifications(center);
}

void GridToolbarController::observeNotifications(NotificationCenter &center)
{
    if (m_center) {
        for (quint64 token : std::as_const(m_observerTokens)) {
            m_center->removeObserver(token);
        }
    }
    m_observerTokens.clear();
    m_center = &center;
    auto request = [this](const QVariant &) { guardedRequest(); };
    m_observerTokens << center.addObserver(Notifications::HotkeyTriggered, this, request);
    m_observerTokens << center.addObserver(Notifications::SearchFocusRequested, this, request);
    m_observerTokens << center.addObserver(Notifications::AppReopened, this, [this](const QVariant &) {
        if (m_isRulerShowing) {
            openDeskTool(DeskTool::MeasureRuler);
        }
    });
}

void GridToolbarController::viewModelBound()
{
    if (viewModel() && !m_centerSetExplicitly && viewModel()->notificationCenter()
        && viewModel()->notificationCenter() != m_center) {
        observeNotifications(*viewModel()->notificationCenter());
    }
    if (viewModel()) {
        connect(viewModel(), &BrimlarkViewModel::selectionChanged, this, [this] {
            emit selectionStateChanged();
            if (focusRequestAllowed(m_content)) {
                setSearchFocused(true);
            }
        });
        // Unlocking focuses the field without the hidden section's guard.
        // The unlock screen's own password field holds the focus at that
        // moment and goes with the screen, so it does not count as the user
        // typing elsewhere; false first, so the field asks again even when
        // the value already held true.
        connect(viewModel(), &BrimlarkViewModel::isHiddenUnlockedChanged, this, [this] {
            if (m_lock && m_lock->isUnlocked() && !interfaceBusy(false)) {
                setSearchFocused(false);
                setSearchFocused(true);
            }
        });
        // A closed sheet hands the window back, as a window becoming key
        // does: the search field asks again once the sheet is gone, unless
        // the sheet gave the keyboard back to another field.
        // The notice also comes with other changes: only a closing counts.
        m_pickerShown = viewModel()->showingAppPicker();
        connect(viewModel(), &BrimlarkViewModel::showingAppPickerChanged, this, [this] {
            const bool shown = viewModel() && viewModel()->showingAppPicker();
            const bool closed = m_pickerShown && !shown;
            m_pickerShown = shown;
            if (closed) {
                setSearchFocused(false);
                writeLater(std::chrono::milliseconds(0));
            }
        });
        connect(viewModel(), &BrimlarkViewModel::searchQueryChanged, this,
            &GridToolbarController::searchAccessoryChanged);
        connect(viewModel(), &BrimlarkViewModel::allAppsSortOptionChanged, this,
            &GridToolbarController::sortOptionsChanged);
    }
    emit selectionStateChanged();
    emit searchAccessoryChanged();
    emit sortOptionsChanged();
}

QQuickItem *GridToolbarController::searchField() const
{
    return m_searchField.data();
}

void GridToolbarController::setSearchField(QQuickItem *field)
{
    if (m_searchField == field) {
        return;
    }
    m_searchField = field;
    emit searchFieldChanged();
}

void GridToolbarController::setSearchFocused(bool focused)
{
    if (m_isSearchFocused == focused) {
        return;
    }
    m_isSearchFocused = focused;
    emit isSearchFocusedChanged();
    emit searchAccessoryChanged();
}

bool GridToolbarController::showsBackButton() const
{
    return viewModel() && viewModel()->selection()
        && viewModel()->selection()->is(SidebarSelection::Kind::category);
}

GridToolbarController::TrailingControl GridToolbarController::trailingControl() const
{
    if (!viewModel() || !viewModel()->selection()) {
        return TrailingControl::None;
    }
    switch (viewModel()->selection()->kind()) {
    case SidebarSelection::Kind::folder:
        return TrailingControl::AddApps;
    case SidebarSelection::Kind::allApps:
        return TrailingControl::SortMenu;
    default:
        return TrailingControl::None;
    }
}

GridToolbarController::SearchAccessory GridToolbarController::searchAccessoryFor(
    const QString &query, bool focused)
{
    if (!query.isEmpty()) {
        return SearchAccessory::ClearButton;
    }
    return focused ? SearchAccessory::Nothing : SearchAccessory::ShortcutBadge;
}

QString GridToolbarController::queryFromField(const QString &text)
{
    QString query = text;
    query.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar &c : query) {
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    return query;
}

GridToolbarController::SearchAccessory GridToolbarController::searchAccessory() const
{
    return searchAccessoryFor(viewModel() ? viewModel()->searchQuery() : QString(), m_isSearchFocused);
}

QVariantList GridToolbarController::sortOptions() const
{
    const AppSortOption current = catalog() ? catalog()->allAppsSortOption() : AppSortOption::nameAscending;
    QVariantList out;
    for (AppSortOption option : AppSortOptions::allCases()) {
        out << QVariantMap { { QStringLiteral("title"), AppSortOptions::text(option) },
            { QStringLiteral("symbol"), option == current ? QStringLiteral("checkmark") : QString() } };
    }
    return out;
}

QVariantList GridToolbarController::deskTools()
{
    return { deskTool("eyedropper", "Color Picker"), deskTool("ruler", "Measure"),
        deskTool("qrcode", "QR Generator"), deskTool("note.text", "Sticky Notes"),
        deskTool("terminal", "Code Snippets") };
}

void GridToolbarController::showAllApps()
{
    if (viewModel()) {
        viewModel()->setSelection(SidebarSelection(SidebarSelection::Kind::allApps));
    }
}

void GridToolbarController::clearSearch()
{
    if (viewModel()) {
        viewModel()->setSearchQuery(QString());
    }
}

void GridToolbarController::addApps()
{
    if (!viewModel() || !viewModel()->selection()
        || !viewModel()->selection()->is(SidebarSelection::Kind::folder)) {
        return;
    }
    viewModel()->setFolderForPicker(viewModel()->selection()->folder());
    viewModel()->setShowingAppPicker(true);
}

void GridToolbarController::chooseSortOption(int index)
{
    const auto cases = AppSortOptions::allCases();
    if (catalog() && index >= 0 && index < cases.size()) {
        catalog()->setAllAppsSortOption(cases[index]);
    }
}

void GridToolbarController::openDeskTool(DeskTool tool)
{
    const auto i = std::size_t(tool);
    if (i >= m_open.size() || m_open[i]) {
        return;
    }
    m_open[i] = true;
    emit openDeskToolsChanged();
}

void GridToolbarController::deskToolClosed(DeskTool tool)
{
    const auto i = std::size_t(tool);
    if (i >= m_open.size() || !m_open[i]) {
        return;
    }
    m_open[i] = false;
    emit openDeskToolsChanged();
}

void GridToolbarController::setHiddenItemsLock(HiddenItemsLock *lock)
{
    if (rebindHandedObject(*this, m_lock, lock)) {
        emit hiddenItemsLockChanged();
    }
}

bool GridToolbarController::focusRequestAllowed(const QQuickItem *leaving) const
{
    if (interfaceBusy(true, leaving)) {
        return false;
    }
    if (!viewModel() || !viewModel()->selection()
        || !viewModel()->selection()->is(SidebarSelection::Kind::hidden)) {
        return true;
    }
    return m_lock && m_lock->isSecurityPasswordSet() && m_lock->isUnlocked();
}

bool GridToolbarController::interfaceBusy(bool countEditors, const QQuickItem *leaving) const
{
    if (m_sortMenuOpen) {
        return true;
    }
    for (bool open : m_open) {
        if (open) {
            return true;
        }
    }
    if (viewModel() && (viewModel()->showingAppPicker() || viewModel()->appToUninstall())) {
        return true;
    }
    return windowBusy(m_searchField, countEditors, leaving);
}

bool GridToolbarController::windowBusy(const QQuickItem *field, bool countEditors, const QQuickItem *leaving)
{
    const QQuickWindow *window = field ? field->window() : nullptr;
    if (!window) {
        return false;
    }
    const QQuickItem *focused = window->activeFocusItem();
    if (countEditors && focused && focused != field && isTextEditor(focused) && !field->isAncestorOf(focused)
        && !(leaving && leaving->isAncestorOf(focused))) {
        return true;
    }
    // Open popups live in the window's overlay layer; tooltips are only hints.
    const QList<QQuickItem *> layers = window->contentItem()->childItems();
    for (const QQuickItem *layer : layers) {
        if (!layer->inherits("QQuickOverlay")) {
            continue;
        }
        const QList<QQuickItem *> popups = layer->childItems();
        for (const QQuickItem *popup : popups) {
            if (popup->isVisible() && !(popup->parent() && popup->parent()->inherits("QQuickToolTip"))) {
                return true;
            }
        }
    }
    return false;
}

void GridToolbarController::writeIfFree(bool focused)
{
    if (!interfaceBusy()) {
        setSearchFocused(focused);
    }
}

void GridToolbarController::writeLater(std::chrono::milliseconds delay)
{
    QPointer<GridToolbarController> self(this);
    auto write = [self] {
        if (self) {
            self->writeIfFree(true);
        }
    };
    // Through the view model's scheduler; a toolbar without one (a view on
    // its own) uses the event loop.
    if (viewModel()) {
        viewModel()->scheduler().schedule(delay, std::move(write));
    } else {
        QTimer::singleShot(delay, this, std::move(write));
    }
}

void GridToolbarController::guardedRequest()
{
    if (focusRequestAllowed()) {
        setSearchFocused(true);
    }
}

void GridToolbarController::searchBarAppeared()
{
    if (!focusRequestAllowed()) {
        return;
    }
    setSearchFocused(true);
    // The second write keeps the hidden section's verdict of now; only what
    // the user has opened since can stop it.
    writeLater(appearanceRefocusDelay);
}

void GridToolbarController::refocus()
{
    if (!focusRequestAllowed()) {
        return;
    }
    // False then true, so the field asks for the focus again even when the
    // value already held true.
    setSearchFocused(false);
    writeLater(std::chrono::milliseconds(0));
}

void GridToolbarController::applicationBecameActive()
{
    refocus();
}

void GridToolbarController::windowBecameKey()
{
    refocus();
}

} // namespace brimlark
