#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "support/ManualScheduler.h"
#include "support/ToolFakes.h"
#include "tools/ColorPickerController.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brimlark;
using namespace brimlark::testing;
using namespace std::chrono_literals;

namespace {

class ColorPickerTest : public ::testing::Test
{
protected:
    void pick(std::optional<QColor> color)
    {
        picker.pickColor();
        ASSERT_TRUE(sampler.isShowing());
        sampler.answer(color);
    }

    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    WorkspaceStorage storage { defaults, workspaces, center };
    FakeScreenSampler sampler;
    FakePasteboard pasteboard;
    ManualScheduler scheduler;
    ColorPickerController picker { storage, sampler, pasteboard, scheduler };
};

TEST(ColorPickerHexText, ComponentsAreTruncatedNeverRounded)
{
    struct Row
    {
        double r, g, b;
        const char *text;
    };
    const Row rows[] = {
        { 0.5, 0, 1, "#7F00FF" },
        { 0.999, 0.0039, 0.0040, "#FE0001" },
        { 1.0 / 255, 254.99 / 255, 0.2, "#01FE33" },
        // Outside sRGB (wide-gamut screens) stays six digits.
        { -0.2, 1.3, std::nan(""), "#00FF00" },
    };
    for (const Row &row : rows) {
        EXPECT_EQ(ColorPickerController::hexText(row.r, row.g, row.b), QLatin1String(row.text)) << row.text;
    }
    // Every 8-bit pixel reads back exactly through a colour's components.
    for (int v = 0; v < 256; ++v) {
        const QColor c(v, 255 - v, v / 2);
        EXPECT_EQ(
            ColorPickerController::hexText(c.redF(), c.greenF(), c.blueF()), c.name(QColor::HexRgb).toUpper())
            << v;
    }
}

TEST_F(ColorPickerTest, APickIsCopiedShownAndRemembered)
{
    pick(std::nullopt); // cancelled: nothing at all
    EXPECT_TRUE(picker.hexColor().isEmpty());
    EXPECT_EQ(pasteboard.clears, 0);
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    pick(QColor(0x33, 0x66, 0xCC));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("#3366CC"));
    EXPECT_EQ(picker.hexColor(), QStringLiteral("#3366CC"));
    EXPECT_EQ(picker.copyMessage(), QStringLiteral("HEX Copied!"));
    EXPECT_EQ(picker.recentColors(), QStringList({ QStringLiteral("#3366CC") }));

    // A colour already listed keeps its place.
    pick(QColor(0x11, 0x22, 0x33));
    pick(QColor(0x33, 0x66, 0xCC));
    EXPECT_EQ(picker.recentColors(), QStringList({ QStringLiteral("#112233"), QStringLiteral("#3366CC") }));

    // The survivors of a restart belong to this workspace.
    WorkspaceStorage reloaded(defaults, workspaces, center);
    EXPECT_EQ(reloaded.recentColors(), picker.recentColors());
}

TEST_F(ColorPickerTest, TheRecentListKeepsTheTenNewest)
{
    for (int i = 0; i < 11; ++i) {
        pick(QColor(i, 0, 0));
    }
    ASSERT_EQ(picker.recentColors().size(), 10);
    EXPECT_EQ(picker.recentColors().first(), QStringLiteral("#0A0000"));
    EXPECT_EQ(picker.recentColors().last(), QStringLiteral("#010000"));

    // A longer stored list loses only its last entry at each new pick.
    QStringList twelve;
    for (int i = 0; i < 12; ++i) {
        twelve << ColorPickerController::hexText(0, 0, i / 255.0);
    }
    storage.setRecentColors(twelve);
    pick(QColor(Qt::white));
    ASSERT_EQ(picker.recentColors().size(), 12);
    EXPECT_EQ(picker.recentColors().first(), QStringLiteral("#FFFFFF"));
    EXPECT_EQ(picker.recentColors().last(), twelve[10]);
}

TEST_F(ColorPickerTest, EveryCopyClearsTheMessageOneAndAHalfSecondsLater)
{
    storage.setRecentColors({ QStringLiteral("#AABBCC"), QStringLiteral("#010203") });
    picker.copyRecentColor(QStringLiteral("#010203"));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("#010203"));
    EXPECT_EQ(picker.hexColor(), QStringLiteral("#010203"));
    EXPECT_EQ(picker.recentColors().first(), QStringLiteral("#AABBCC")); // not reordered

    scheduler.advance(1000ms);
    picker.copyRecentColor(QStringLiteral("#AABBCC"));
    EXPECT_EQ(picker.copyMessage(), QStringLiteral("HEX Copied!"));
    scheduler.advance(500ms); // the first copy's clearing takes the second's message
    EXPECT_TRUE(picker.copyMessage().isEmpty());
    scheduler.advance(1000ms);
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    picker.clearRecentColors();
    EXPECT_TRUE(picker.recentColors().isEmpty());
    EXPECT_EQ(picker.hexColor(), QStringLiteral("#AABBCC"));
}

TEST_F(ColorPickerTest, APickEndingAfterThePopoverClosedStillCopiesAndRemembers)
{
    auto popover = std::make_unique<ColorPickerController>(storage, sampler, pasteboard, scheduler);
    popover->pickColor();
    popover.reset();
    sampler.answer(QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("#123456"));
    EXPECT_EQ(storage.recentColors(), QStringList({ QStringLiteral("#123456") }));
}

} // namespace
