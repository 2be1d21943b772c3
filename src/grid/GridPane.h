#pragma once

#include "model/AppSortOption.h"
#include "state/SidebarSelection.h"

#include <QObject>
#include <QString>

#include <optional>

namespace brimlark {

// What the grid's pane shows, decided from the view model's and the
// catalog's state of the moment.
class GridPane
{
    Q_GADGET

public:
    // The full-pane states, in the order they are tested.
    enum class State { loading, setupHiddenLock, unlockHidden, content };
    Q_ENUM(State)

    // The layout of the scrolling content.
    enum class Layout { unifiedGrid, hiddenSection, emptyFolder, appTiles };
    Q_ENUM(Layout)

    struct Inputs
    {
        std::optional<SidebarSelection> selection;
        QString searchQuery;
        bool filteredAppsEmpty = true;
        bool isScanning = false;
        bool catalogEmpty = true;
        bool isSecurityPasswordSet = false;
        bool isHiddenUnlocked = false;
        AppSortOption sortOption = AppSortOption::nameAscending;
    };

    // Loading only while the first scan of an empty catalog runs, so a rescan
    // never hides a filled grid.
    static bool isLoading(const Inputs &in);
    static State state(const Inputs &in);
    static Layout layout(const Inputs &in);

    // A folder or a category is selected.
    static bool isCategorySelected(const std::optional<SidebarSelection> &selection);
    // The translucent sidebar material stands behind the pane only in the
    // light appearance with a folder or category selected.
    static bool usesTranslucentBackground(
        bool lightAppearance, const std::optional<SidebarSelection> &selection);
    // The selection's title, "Apps" without one.
    static QString navigationTitle(const std::optional<SidebarSelection> &selection);
    // Changes whenever the section, the selected folder's record, the
    // selected category or the sort option changes; the content is built
    // anew when it does.
    static QString identityKey(const std::optional<SidebarSelection> &selection, AppSortOption sortOption);
};

} // namespace brimlark
