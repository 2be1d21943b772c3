#include "uninstaller/ResidualCategory.h"

#include <array>

namespace brimlark {

namespace {
struct Row
{
    const char *id;
    const char *title;
    const char *icon;
    const char *color;
};

constexpr std::array<Row, 13> s_rows = { {
    { "appBundle", "Application", "app.fill", "#FF3B30" },
    { "preferences", "Preferences", "slider.horizontal.3", "#007AFF" },
    { "appSupport", "Application Support", "folder.fill", "#5856D6" },
    { "caches", "Caches", "internaldrive.fill", "#FF9500" },
    { "logs", "Logs", "doc.text.fill", "#34C759" },
    { "containers", "Containers", "shippingbox.fill", "#30B0C7" },
    { "groupContainers", "Group Containers", "square.grid.2x2.fill", "#30B0C7" },
    { "launchAgents", "Launch Agents & Daemons", "bolt.fill", "#FF2D55" },
    { "crashReports", "Crash Reports", "exclamationmark.triangle.fill", "#FF6B35" },
    { "savedState", "Saved State", "externaldrive.badge.timemachine", "#8E8E93" },
    { "extensions", "Extensions", "puzzlepiece.extension.fill", "#AF52DE" },
    { "receipts", "Receipts", "doc.badge.checkmark", "#32ADE6" },
    { "other", "Other", "archivebox.fill", "#8E8E93" },
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

QString ResidualCategories::id(ResidualCategory category)
{
    return QString::fromLatin1(row(category).id);
}

std::optional<ResidualCategory> ResidualCategories::fromId(const QString &id)
{
    for (size_t i = 0; i < s_rows.size(); ++i) {
        if (id == QLatin1String(s_rows[i].id)) {
            return ResidualCategory(i);
        }
    }
    return std::nullopt;
}

} // namespace brimlark
