#include "uninstaller/ResidualCategory.h"

#include <array>

namespace brimlark {

namespace {
struct Row
{
    const char *title;
    const char *icon;
    const char *color;
};

constexpr std::array<Row, 13> s_rows = { {
    { "Application", "app.fill", "#FF3B30" },
    { "Preferences", "slider.horizontal.3", "#007AFF" },
    { "Application Support", "folder.fill", "#5856D6" },
    { "Caches", "internaldrive.fill", "#FF9500" },
    { "Logs", "doc.text.fill", "#34C759" },
    { "Containers", "shippingbox.fill", "#30B0C7" },
    { "Group Containers", "square.grid.2x2.fill", "#30B0C7" },
    { "Launch Agents & Daemons", "bolt.fill", "#FF2D55" },
    { "Crash Reports", "exclamationmark.triangle.fill", "#FF6B35" },
    { "Saved State", "externaldrive.badge.timemachine", "#8E8E93" },
    { "Extensions", "puzzlepiece.extension.fill", "#AF52DE" },
    { "Receipts", "doc.badge.checkmark", "#32ADE6" },
    { "Other", "archivebox.fill", "#8E8E93" },
} };

const Row &row(ResidualCategory category)
{
    return s_rows[size_t(category)];
}
} // namespace

const QList<ResidualCategory> &ResidualCategories::allCases()
{
    static const QList<ResidualCategory> all = [] {
        QList<ResidualCategory> list;
        for (size_t i = 0; i < s_rows.size(); ++i) {
            list.append(ResidualCategory(i));
        }
        return list;
    }();
    return all;
}

QString ResidualCategories::title(ResidualCategory category)
{
    return QString::fromUtf8(row(category).title);
}

QString ResidualCategories::systemIconName(ResidualCategory category)
{
    return QString::fromUtf8(row(category).icon);
}

QString ResidualCategories::accentColor(ResidualCategory category)
{
    return QString::fromUtf8(row(category).color);
}

std::optional<ResidualCategory> ResidualCategories::fromTitle(const QString &title)
{
    for (size_t i = 0; i < s_rows.size(); ++i) {
        if (title == QString::fromUtf8(s_rows[i].title)) {
            return ResidualCategory(i);
        }
    }
    return std::nullopt;
}

} // namespace brimlark
