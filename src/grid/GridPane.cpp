#include "grid/GridPane.h"

#include <QMetaEnum>
#include <QStringList>

namespace brimlark {

namespace {

bool isKind(const std::optional<SidebarSelection> &selection, SidebarSelection::Kind kind)
{
    return selection && selection->is(kind);
}

QString caseName(AppSortOption option)
{
    switch (option) {
    case AppSortOption::nameAscending:
        return QStringLiteral("nameAscending");
    case AppSortOption::nameDescending:
        return QStringLiteral("nameDescending");
    case AppSortOption::category:
        return QStringLiteral("category");
    case AppSortOption::recentlyUsed:
        return QStringLiteral("recentlyUsed");
    }
    return {};
}

// Texts that cannot run into each other: every part is length-prefixed.
QString part(const QString &text)
{
    return QString::number(text.size()) + u':' + text;
}

} // namespace

bool GridPane::isLoading(const Inputs &in)
{
    return in.isScanning && in.catalogEmpty;
}

GridPane::State GridPane::state(const Inputs &in)
{
    if (isLoading(in)) {
        return State::loading;
    }
    if (isKind(in.selection, SidebarSelection::Kind::hidden)) {
        if (!in.isSecurityPasswordSet) {
            return State::setupHiddenLock;
        }
        if (!in.isHiddenUnlocked) {
            return State::unlockHidden;
        }
    }
    return State::content;
}

GridPane::Layout GridPane::layout(const Inputs &in)
{
    if (isKind(in.selection, SidebarSelection::Kind::allApps) && in.sortOption == AppSortOption::category
        && in.searchQuery.isEmpty()) {
        return Layout::unifiedGrid;
    }
    if (isKind(in.selection, SidebarSelection::Kind::hidden)) {
        return Layout::hiddenSection;
    }
    if (in.filteredAppsEmpty && isKind(in.selection, SidebarSelection::Kind::folder)) {
        return Layout::emptyFolder;
    }
    return Layout::appTiles;
}

bool GridPane::isCategorySelected(const std::optional<SidebarSelection> &selection)
{
    return isKind(selection, SidebarSelection::Kind::folder)
        || isKind(selection, SidebarSelection::Kind::category);
}

bool GridPane::usesTranslucentBackground(
    bool lightAppearance, const std::optional<SidebarSelection> &selection)
{
    return lightAppearance && isCategorySelected(selection);
}

QString GridPane::navigationTitle(const std::optional<SidebarSelection> &selection)
{
    return selection ? selection->title() : QStringLiteral("Apps");
}

QString GridPane::identityKey(const std::optional<SidebarSelection> &selection, AppSortOption sortOption)
{
    const SidebarSelection shown = selection.value_or(SidebarSelection(SidebarSelection::Kind::allApps));
    QString key
        = QString::fromLatin1(QMetaEnum::fromType<SidebarSelection::Kind>().valueToKey(int(shown.kind())));
    if (shown.is(SidebarSelection::Kind::folder)) {
        // The whole record: a rename or a change of the members' order held
        // in the selection makes a new key.
        const AppFolder &f = shown.folder();
        key += u'(' + part(f.idText()) + part(f.name) + part(f.appURLs.join(u'\n')) + part(f.icon)
            + part(f.color) + part(QString::number(f.sortOrder))
            + part(f.isPinned ? QStringLiteral("1") : QString()) + u')';
    } else if (shown.is(SidebarSelection::Kind::category)) {
        key += u'(' + part(shown.category()) + u')';
    }
    return key + u'-' + caseName(sortOption);
}

} // namespace brimlark
