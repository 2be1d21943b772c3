#include "grid/CategoryCardMenu.h"
#include "grid/GridToolbarController.h"
#include "model/WorkspaceManager.h"
#include "platform/gui/Symbols.h"
#include "sidebar/FolderIconPicker.h"
#include "sidebar/SidebarController.h"
#include "sidebar/SidebarPresets.h"
#include "uninstaller/ResidualCategory.h"
#include "uninstaller/views/AppUninstallerFlow.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

QStringList symbolsOf(const QVariantList &rows)
{
    QStringList out;
    for (const QVariant &row : rows) {
        out << row.toMap().value(u"symbol"_qs).toString();
    }
    return out;
}

QStringList symbolsOf(const QList<MenuEntry> &entries)
{
    QStringList out;
    for (const auto &entry : entries) {
        out << entry.symbol << symbolsOf(entry.children);
    }
    return out;
}

// The symbol names the program's C++ hands its views (pickers, presets,
// rows, menus, file and category icons) all have a glyph; the names the QML
// writes itself are scanned in the views' tests.
TEST(ProgramSymbols, EveryNameTheProgramOffersHasAGlyph)
{
    QStringList offered = SidebarPresets::folderIcons() + SidebarPresets::workspaceIcons()
        + symbolsOf(SidebarController::libraryRows()) + symbolsOf(GridToolbarController::deskTools());
    offered << SidebarController::defaultFolderIcon << SidebarController::defaultWorkspaceIcon
            << WorkspaceManager::defaultWorkspace().icon;
    for (const auto &pair : FolderIconPicker::pairs()) {
        offered << QString::fromUtf16(pair.outline) << QString::fromUtf16(pair.filled);
    }
    for (const ResidualCategory category : ResidualCategories::allCases()) {
        offered << ResidualCategories::systemIconName(category);
    }
    for (const char *file : { "a/b", "x.plist", "x.log", "x.crash", "x.pem", "x.cer", "x.bin" }) {
        offered << AppUninstallerFlow::iconForFile(QString::fromLatin1(file), file[1] == '/');
    }
    const AppFolder folder;
    for (const auto &selection : { std::optional<SidebarSelection>(),
             std::optional(SidebarSelection(SidebarSelection::Kind::hidden)) }) {
        offered << symbolsOf(CategoryCardMenu::entries(selection, folder, { folder }))
                << symbolsOf(CategoryCardMenu::entries(selection, std::nullopt, { folder }));
    }
    offered.removeAll(QString());
    EXPECT_GT(offered.size(), 100);
    for (const QString &name : offered) {
        EXPECT_TRUE(Symbols::exists(name)) << name.toStdString();
    }
}

} // namespace
