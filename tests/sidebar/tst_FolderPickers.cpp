#include "SidebarFixture.h"
#include "sidebar/FolderColorPicker.h"
#include "sidebar/FolderIconPicker.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

struct ColorPicker : test::SidebarFixture
{
    explicit ColorPicker(const QString &color)
    {
        makeFolder(QStringLiteral("Work"));
        finder.setFolderColor(folder(QStringLiteral("Work")), color);
        picker.setCatalog(&finder);
        picker.setFolder(folder(QStringLiteral("Work")));
        picker.appear();
    }
    QString stored() const { return folder(QStringLiteral("Work")).color; }
    QStringList fields() const
    {
        return { picker.hexText(), picker.rText(), picker.gText(), picker.bText(), picker.aText() };
    }
    FolderColorPicker picker;
};

} // namespace

TEST(FolderColorPicker, opensFromTheStoredColour)
{
    const struct
    {
        const char16_t *stored;
        QStringList fields;
        double saturation;
    } cases[] = {
        { u"#007AFF", { u"#007AFF"_qs, u"0"_qs, u"122"_qs, u"255"_qs, u"1.0"_qs }, 1 },
        { u"#abc", { u"#AABBCC"_qs, u"170"_qs, u"187"_qs, u"204"_qs, u"1.0"_qs }, 1 - 170 / 204.0 },
        { u"#80FF0000", { u"#808080"_qs, u"128"_qs, u"128"_qs, u"128"_qs, u"1.0"_qs }, 0 },
    };
    for (const auto &c : cases) {
        ColorPicker p(QString::fromUtf16(c.stored));
        EXPECT_EQ(p.fields(), c.fields);
        EXPECT_NEAR(p.picker.saturation(), c.saturation, 1e-9);
        EXPECT_EQ(p.stored(), QString::fromUtf16(c.stored));
    }
}

TEST(FolderColorPicker, everyActionStoresAtOnce)
{
    ColorPicker p(QStringLiteral("#007AFF"));
    p.picker.dragTo(70, 140);
    EXPECT_EQ(p.stored(), u"#7FFF00"_qs);
    EXPECT_EQ(p.picker.folderColor(), u"#7FFF00"_qs);

    p.picker.setHexText(QStringLiteral("ff3b30"));
    p.picker.handleHexInput();
    EXPECT_EQ(p.stored(), u"#ff3b30"_qs);
    EXPECT_EQ(p.fields(), (QStringList { u"ff3b30"_qs, u"255"_qs, u"59"_qs, u"48"_qs, u"1.0"_qs }));

    p.picker.setHexText(QStringLiteral("hello"));
    p.picker.handleHexInput();
    EXPECT_EQ(p.stored(), u"#hello"_qs);
    EXPECT_EQ(p.picker.saturation(), 0);

    const struct
    {
        const char16_t *r, *g, *b, *a;
        const char *stored;
    } fields[] = {
        { u"12.9", u"0", u"0", u"0.5", "#0C0000" },
        { u" 12", u"0", u"0", u"1", "#000000" },
        { u"", u"", u"", u"", "#000000" },
        { u"1e300", u"nan", u"-inf", u"x", "#FF0000" },
        { u"300", u"-5", u"255", u"1", "#FF00FF" },
    };
    for (const auto &f : fields) {
        p.picker.setRText(QString::fromUtf16(f.r));
        p.picker.setGText(QString::fromUtf16(f.g));
        p.picker.setBText(QString::fromUtf16(f.b));
        p.picker.setAText(QString::fromUtf16(f.a));
        p.picker.handleRGBAInput();
        EXPECT_EQ(p.stored(), QLatin1String(f.stored));
        EXPECT_EQ(p.picker.hexText(), QLatin1String(f.stored));
    }

    p.picker.choosePreset(QStringLiteral("#8E8E93"));
    EXPECT_EQ(p.stored(), u"#8E8E93"_qs);
    EXPECT_EQ(p.fields(), (QStringList { u"#8E8E93"_qs, u"142"_qs, u"142"_qs, u"147"_qs, u"1.0"_qs }));
}

TEST(FolderIconPicker, showsAndStoresFilledNamesTheServiceHas)
{
    test::SidebarFixture f;
    const struct
    {
        const char16_t *icon;
        bool filled;
        int selected;
    } cases[] = {
        { u"folder.fill", true, 0 },
        { u"pencil.tip", false, 12 },
        { u"bookmark.fill", true, -1 },
        { u"folder", false, 0 },
        { u"house.fill", true, 1 },
    };
    for (const auto &c : cases) {
        f.makeFolder(QString::fromUtf16(c.icon));
        f.finder.setFolderIcon(f.folder(QString::fromUtf16(c.icon)), QString::fromUtf16(c.icon));
        FolderIconPicker picker;
        picker.setCatalog(&f.finder);
        picker.setFolder(f.folder(QString::fromUtf16(c.icon)));
        EXPECT_EQ(picker.isFilled(), c.filled) << QString::fromUtf16(c.icon).toStdString();
        EXPECT_EQ(picker.selectedIndex(), c.selected) << QString::fromUtf16(c.icon).toStdString();
    }

    // A service without "star.fill": Filled mode shows and stores "star".
    FolderIconPicker picker;
    picker.setSymbolExists([](const QString &name) { return name != u"star.fill"; });
    picker.setCatalog(&f.finder);
    picker.setFolder(f.folder(QStringLiteral("folder.fill")));
    EXPECT_EQ(picker.shownNames().size(), 43);
    EXPECT_EQ(picker.shownName(3), u"star"_qs);
    EXPECT_EQ(picker.shownName(2), u"heart.fill"_qs);
    picker.choose(3);
    EXPECT_EQ(f.folder(QStringLiteral("folder.fill")).icon, u"star"_qs);
    EXPECT_EQ(picker.selectedIndex(), 3);
    picker.setFilled(false);
    EXPECT_EQ(picker.shownName(2), u"heart"_qs);
    EXPECT_EQ(f.folder(QStringLiteral("folder.fill")).icon, u"star"_qs);
}
