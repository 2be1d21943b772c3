#include "sidebar/SidebarPresets.h"

#include <QVariantMap>

namespace brimlark {

QVariantList SidebarPresets::presetColorList()
{
    static const char16_t *const pairs[][2] = {
        { u"#007AFF", u"Blue" },
        { u"#FF3B30", u"Red" },
        { u"#34C759", u"Green" },
        { u"#FF9500", u"Orange" },
        { u"#AF52DE", u"Purple" },
        { u"#FF2D55", u"Pink" },
        { u"#8E8E93", u"Gray" },
    };
    QVariantList out;
    for (const auto &p : pairs) {
        out << QVariantMap { { QStringLiteral("hex"), QString::fromUtf16(p[0]) },
            { QStringLiteral("name"), QString::fromUtf16(p[1]) } };
    }
    return out;
}

QStringList SidebarPresets::folderIcons()
{
    return { QStringLiteral("folder.fill"), QStringLiteral("bookmark.fill"), QStringLiteral("doc.fill"),
        QStringLiteral("briefcase.fill"), QStringLiteral("gamecontroller.fill"), QStringLiteral("headphones"),
        QStringLiteral("music.note"), QStringLiteral("video.fill"), QStringLiteral("camera.fill"),
        QStringLiteral("paintbrush.fill"), QStringLiteral("terminal.fill"),
        QStringLiteral("code.square.fill"), QStringLiteral("globe"), QStringLiteral("chart.bar.fill"),
        QStringLiteral("gearshape.fill"), QStringLiteral("heart.fill"), QStringLiteral("star.fill"),
        QStringLiteral("tag.fill"), QStringLiteral("key.fill"), QStringLiteral("house.fill") };
}

QStringList SidebarPresets::workspaceIcons()
{
    return { QStringLiteral("briefcase.fill"), QStringLiteral("house.fill"), QStringLiteral("laptopcomputer"),
        QStringLiteral("gamecontroller.fill"), QStringLiteral("book.fill"), QStringLiteral("music.note"),
        QStringLiteral("globe"), QStringLiteral("atom"), QStringLiteral("heart.fill"),
        QStringLiteral("gearshape.fill"), QStringLiteral("terminal.fill"), QStringLiteral("folder.fill"),
        QStringLiteral("star.fill"), QStringLiteral("doc.fill"), QStringLiteral("pencil.circle.fill"),
        QStringLiteral("wrenches.fill"), QStringLiteral("personalhotspot"),
        QStringLiteral("shippingbox.fill"), QStringLiteral("archivebox.fill"),
        QStringLiteral("creditcard.fill") };
}

} // namespace brimlark
