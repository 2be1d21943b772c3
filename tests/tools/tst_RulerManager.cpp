#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "support/ToolFakes.h"
#include "tools/MeasurePopoverController.h"
#include "tools/MeasurementText.h"
#include "tools/RulerManager.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

using namespace brimlark;
using namespace brimlark::testing;

namespace {

QString m(qint64 w, qint64 h)
{
    return MeasurementText::format(w, h);
}

class RulerManagerTest : public ::testing::Test
{
protected:
    RulerManager makeManager(std::optional<QRectF> screen = QRectF(0, 0, 1920, 1080))
    {
        return RulerManager(
            storage,
            [this](const QRectF &frame) {
                auto window = std::make_unique<FakeRulerWindow>(log, frame);
                lastWindow = window.get();
                return window;
            },
            [screen] { return screen; });
    }

    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    WorkspaceStorage storage { defaults, workspaces, center };
    FakeRulerWindowLog log;
    FakeRulerWindow *lastWindow = nullptr;
};

TEST_F(RulerManagerTest, ShowsOneCentredRulerAndRecordsItsStartingSize)
{
    RulerManager manager = makeManager();
    QSignalSpy showing(&manager, &RulerManager::isRulerShowingChanged);
    manager.showRuler();
    manager.showRuler();
    ASSERT_EQ(log.created.size(), 1u);
    EXPECT_EQ(log.created[0], QRectF(760, 390, 400, 300));
    EXPECT_EQ(log.shown, 1);
    EXPECT_TRUE(manager.isRulerShowing());
    EXPECT_EQ(showing.count(), 1);
    EXPECT_EQ(storage.recentMeasurements(), QStringList({ m(400, 300) }));

    // Closed and opened again: a fresh window at the centre, whatever came before.
    manager.resizeRuler(800, 600);
    manager.toggleRuler();
    EXPECT_FALSE(manager.isRulerShowing());
    EXPECT_EQ(log.closed, 1);
    manager.toggleRuler();
    EXPECT_EQ(log.created.back(), QRectF(760, 390, 400, 300));
    EXPECT_EQ(storage.recentMeasurements(), QStringList({ m(400, 300), m(800, 600) }));

    RulerManager headless = makeManager(std::nullopt);
    headless.showRuler();
    EXPECT_EQ(log.created.back(), QRectF(520, 300, 400, 300));
}

TEST_F(RulerManagerTest, ResizeKeepsTheTopLeftAndRecordsTheRequestedSize)
{
    RulerManager manager = makeManager();
    manager.resizeRuler(640, 480); // no ruler: nothing
    EXPECT_TRUE(storage.recentMeasurements().isEmpty());

    manager.showRuler();
    lastWindow->setFrame(QRectF(100, 200, 400, 300), false);
    manager.resizeRuler(640.9, 480);
    EXPECT_EQ(lastWindow->frame(), QRectF(100, 200, 640, 480));
    EXPECT_EQ(storage.recentMeasurements().first(), m(640, 480));

    lastWindow->contentOverride = QSizeF(512.6, 300);
    manager.windowDidEndLiveResize();
    EXPECT_EQ(storage.recentMeasurements().first(), m(512, 300));
    EXPECT_EQ(storage.recentMeasurements().size(), 3);
}

TEST_F(RulerManagerTest, SizesNoWindowCanHaveAreNeitherAppliedNorRecorded)
{
    RulerManager manager = makeManager();
    manager.showRuler();
    const QStringList before = storage.recentMeasurements();
    const std::size_t framesBefore = log.frames.size();
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [w, h] : { std::pair { inf, 300.0 }, { 300.0, -inf }, { std::nan(""), 300.0 },
             { 2147483648.0, 300.0 }, { 300.0, -2147483648.0 }, { 1e300, 1e300 } }) {
        manager.resizeRuler(w, h);
    }
    EXPECT_EQ(log.frames.size(), framesBefore);
    EXPECT_EQ(storage.recentMeasurements(), before);

    // Within range but beyond what the desktop holds, or below the ruler's
    // minimum: the window gets a size it can draw, the list what was asked for.
    lastWindow->desktop = QRectF(0, 0, 2560, 1440);
    for (auto [w, h, frame, text] : { std::tuple { 32767.0, 32767.0, QSizeF(2560, 1440), m(32767, 32767) },
             { 40000.0, 0.5, QSizeF(2560, 160), m(40000, 0) }, { 0.0, 0.0, QSizeF(200, 160), m(0, 0) },
             { -50.0, -1.0, QSizeF(200, 160), m(-50, -1) } }) {
        manager.resizeRuler(w, h);
        EXPECT_EQ(log.frames.back().size(), frame) << w << " x " << h;
        EXPECT_EQ(storage.recentMeasurements().first(), text);
    }
}

TEST_F(RulerManagerTest, PopoverCopiesEveryRowAndResizesOnlyForMeasurements)
{
    RulerManager manager = makeManager();
    FakePasteboard pasteboard;
    MeasurePopoverController popover(manager, storage, pasteboard);
    QSignalSpy listChanged(&popover, &MeasurePopoverController::recentMeasurementsChanged);

    popover.applyMeasurement(m(640, 480)); // no ruler: copied, not opened
    EXPECT_FALSE(manager.isRulerShowing());
    EXPECT_EQ(pasteboard.string(), m(640, 480));

    popover.toggleRuler();
    EXPECT_TRUE(popover.isRulerShowing());
    storage.setRecentMeasurements({ m(640, 480), m(400, 300) });
    popover.applyMeasurement(m(400, 300));
    EXPECT_EQ(lastWindow->frame().size(), QSizeF(400, 300));
    EXPECT_EQ(popover.recentMeasurements(), QStringList({ m(400, 300), m(640, 480) }));

    const std::size_t frames = log.frames.size();
    for (const char *text : { "400 x 300 px", "inf \u00D7 300 px", "1e400 \u00D7 1 px" }) {
        popover.applyMeasurement(QString::fromUtf8(text));
        EXPECT_EQ(pasteboard.string(), QString::fromUtf8(text));
    }
    EXPECT_EQ(log.frames.size(), frames);
    EXPECT_EQ(pasteboard.clears, 5);

    popover.clearMeasurements();
    EXPECT_TRUE(popover.recentMeasurements().isEmpty());
    EXPECT_TRUE(manager.isRulerShowing());
    EXPECT_GT(listChanged.count(), 0);
}

TEST_F(RulerManagerTest, MeasurementsBelongToTheActiveWorkspaceAndSurvive)
{
    RulerManager manager = makeManager();
    manager.showRuler();
    const QUuid first = workspaces.activeWorkspaceID();
    workspaces.createWorkspace(QStringLiteral("Other"), QStringLiteral("star"), QStringLiteral("#FF0000"));
    EXPECT_TRUE(storage.recentMeasurements().isEmpty());
    manager.resizeRuler(300, 200);
    workspaces.setActiveWorkspaceID(first);
    EXPECT_EQ(storage.recentMeasurements(), QStringList({ m(400, 300) }));

    WorkspaceStorage reloaded(defaults, workspaces, center);
    EXPECT_EQ(reloaded.recentMeasurements(), QStringList({ m(400, 300) }));
}

TEST_F(RulerManagerTest, TheWindowsCloseButtonClosesAfterItsClickReturns)
{
    RulerManager manager = makeManager();
    manager.showRuler();
    lastWindow->onCloseRequested();
    EXPECT_TRUE(manager.isRulerShowing());
    // Qt Test's QTRY macros report to Qt Test, which GoogleTest never hears.
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(manager.isRulerShowing());
    EXPECT_EQ(log.closed, 1);
}

} // namespace
