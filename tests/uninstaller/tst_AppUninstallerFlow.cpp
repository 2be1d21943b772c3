#include "support/UninstallerFixture.h"

#include "TestSupport.h"
#include "platform/base/DiskAccess.h"
#include "support/ManualScheduler.h"
#include "uninstaller/ByteCountFormatter.h"
#include "uninstaller/views/AppUninstallerFlow.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;
using Stage = AppUninstallerFlow::UninstallerStage;

namespace {

class FakeDiskAccess : public DiskAccess
{
public:
    bool granted = false;
    int settingsOpened = 0;
    bool hasAccess() override { return granted; }
    void openSystemSettings() override { ++settingsOpened; }
};

// A sheet over the "Foo" leftovers; locked: everything in the system Library.
class Sheet : public ::testing::Test
{
protected:
    void SetUp() override { m_tree.makeFooLeftovers(); }
    std::unique_ptr<AppUninstallerFlow> open(const QString &bundle = {})
    {
        m_services = std::make_unique<UninstallerServices>(
            [this] {
                ++scannersMade;
                return world.scanner(u"com.acme.foo"_qs);
            },
            access, scheduler);
        auto flow = std::make_unique<AppUninstallerFlow>();
        flow->setServices(m_services.get());
        flow->appeared(u"Foo"_qs, bundle.isEmpty() ? m_tree.root() + u"/Applications/Foo.app"_qs : bundle);
        return flow;
    }
    bool reviewed(AppUninstallerFlow &flow)
    {
        return test::waitUntil([&] { return flow.stage() == Stage::review; });
    }

    test::ResidualTree m_tree;
    test::ScannerWorld world { m_tree };
    FakeDiskAccess access;
    ManualScheduler scheduler;
    int scannersMade = 0;

private:
    std::unique_ptr<UninstallerServices> m_services;
};

TEST_F(Sheet, WithAccessTheSheetScansAtOnceAndReviewsWhenTheScanEnds)
{
    access.granted = true;
    auto flow = open();
    EXPECT_EQ(flow->stage(), Stage::scanning);
    EXPECT_FALSE(flow->animateStage());
    ASSERT_TRUE(reviewed(*flow));
    EXPECT_TRUE(flow->animateStage());
    EXPECT_EQ(flow->totalCount(), flow->files()->rowCount());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(Sheet, TheGatePollsOnlyAfterOpeningSettingsKeepsOneTimerAndScansOnceGranted)
{
    auto flow = open();
    EXPECT_EQ(flow->stage(), Stage::checkingAccess);
    // Without the button nothing re-tests, even once access is there.
    access.granted = true;
    scheduler.advance(std::chrono::seconds(10));
    EXPECT_EQ(flow->stage(), Stage::checkingAccess);

    access.granted = false;
    for (int i = 0; i < 3; ++i) {
        flow->openSystemSettings();
    }
    EXPECT_EQ(access.settingsOpened, 3);
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    scheduler.advance(std::chrono::milliseconds(3999));
    EXPECT_EQ(flow->stage(), Stage::checkingAccess);
    access.granted = true;
    scheduler.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(flow->stage(), Stage::scanning);
    EXPECT_TRUE(flow->animateStage());
    EXPECT_FALSE(flow->isPolling());
    scheduler.advance(std::chrono::seconds(10));
    ASSERT_TRUE(reviewed(*flow));
    EXPECT_EQ(scannersMade, 1);

    // Closing the sheet while polling stops the poll.
    access.granted = false;
    auto closing = open();
    closing->openSystemSettings();
    closing->disappeared();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(Sheet, ALockedRowCannotBeToggledAndASystemApplicationCannotBeRemoved)
{
    access.granted = true;
    auto flow = open();
    ASSERT_TRUE(reviewed(*flow));
    QString lockedId, openId;
    for (const AppResidualFile &f : flow->scanner()->residualFiles()) {
        (f.isUserDeletable ? openId : lockedId) = f.id.toString();
    }
    ASSERT_FALSE(lockedId.isEmpty() || openId.isEmpty());
    flow->deselectAll();
    EXPECT_FALSE(flow->canRemove());
    flow->toggleSelection(lockedId);
    EXPECT_EQ(flow->selectedCount(), 0);
    EXPECT_FALSE(flow->canRemove());
    flow->toggleSelection(openId);
    EXPECT_EQ(flow->selectedCount(), 1);
    EXPECT_TRUE(flow->canRemove());

    // The same leftovers for an application of the system: nothing removable.
    m_tree.file(u"root/System/Applications/Foo.app/Contents/x"_qs, 1);
    auto system = open(m_tree.root() + u"/System/Applications/Foo.app"_qs);
    ASSERT_TRUE(reviewed(*system));
    ASSERT_TRUE(test::waitUntil([&] { return system->isSystemApp(); }));
    system->selectAll();
    EXPECT_GT(system->selectedCount(), 0);
    EXPECT_FALSE(system->canRemove());
}

// A category's "Select All" names it by id; its rows and its header change,
// no other category's.
TEST_F(Sheet, ACategoryTogglesByItsIdAndOnlyItsRowsAndHeaderChange)
{
    access.granted = true;
    auto flow = open();
    ASSERT_TRUE(reviewed(*flow));
    ResidualListModel &files = *flow->files();
    QAbstractItemModelTester tester(&files, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ResidualSection *preferences = files.section(u"preferences"_qs);
    ResidualSection *caches = files.section(u"caches"_qs);
    ASSERT_TRUE(preferences && caches);
    qsizetype count = 0, unselected = 0;
    qint64 total = 0;
    for (const AppResidualFile &f : files.rows()) {
        count += f.category == ResidualCategory::preferences;
        total += f.category == ResidualCategory::preferences ? f.sizeBytes : 0;
        unselected += f.category == ResidualCategory::preferences && !f.isSelected;
    }
    ASSERT_GT(unselected, 0);
    EXPECT_EQ(preferences->countText(), AppUninstallerFlow::itemCountText(count));
    EXPECT_EQ(preferences->totalText(), formatFileByteCount(total));
    EXPECT_FALSE(preferences->allSelected());

    QSignalSpy rows(&files, &QAbstractItemModel::dataChanged);
    QSignalSpy preferencesChanged(preferences, &ResidualSection::changed);
    QSignalSpy cachesChanged(caches, &ResidualSection::changed);
    flow->toggleCategory(preferences->title());
    EXPECT_EQ(preferencesChanged.count(), 0);
    flow->toggleCategory(u"preferences"_qs);
    EXPECT_TRUE(preferences->allSelected());
    EXPECT_EQ(rows.count(), unselected);
    for (const QList<QVariant> &change : std::as_const(rows)) {
        EXPECT_EQ(files.rows()[change[0].toModelIndex().row()].category, ResidualCategory::preferences);
    }
    flow->toggleCategory(u"preferences"_qs);
    EXPECT_FALSE(preferences->allSelected());
    EXPECT_EQ(preferencesChanged.count(), 2);
    EXPECT_EQ(cachesChanged.count(), 0);
}

TEST(SheetRules, ARemovalResultBecomesTheDoneScreenOrTheAlert)
{
    const QString none = u"No items were selected or all selected files were already deleted."_qs;
    const QString admin = QStringLiteral(
        "All selected files are owned by macOS or require administrator access to delete. These files are "
        "shown with a lock icon and have been automatically deselected.");
    const QStringList four { u"a: No permission"_qs, u"b: busy"_qs, u"c: No permission"_qs, u"d: gone"_qs };
    struct Case
    {
        int removed;
        QStringList errors;
        QString alert; // empty: the done screen
    };
    const std::vector<Case> cases {
        { 0, {}, none },
        { 0, { u"x: No permission"_qs, u"No permission: y"_qs }, admin },
        { 0, { u"x: no permission"_qs }, u"x: no permission"_qs },
        { 0, four, u"a: No permission\nb: busy\nc: No permission"_qs },
        { 1, four, {} },
    };
    for (const Case &c : cases) {
        const auto outcome = AppUninstallerFlow::outcomeOf({ c.removed, 100, c.errors, {} });
        EXPECT_EQ(outcome.alertMessage, c.alert) << c.errors.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(outcome.done.has_value(), c.alert.isEmpty());
    }
    EXPECT_EQ(AppUninstallerFlow::itemCountText(1), u"(1 item)"_qs);
    EXPECT_EQ(AppUninstallerFlow::itemCountText(2), u"(2 items)"_qs);
    EXPECT_EQ(AppUninstallerFlow::iconForFile(u"/a/b.PLIST"_qs, false), u"doc.text.fill"_qs);
    EXPECT_EQ(AppUninstallerFlow::iconForFile(u"/a/b.plist"_qs, true), u"folder.fill"_qs);
    EXPECT_EQ(AppUninstallerFlow::iconForFile(u"/a/key.cer"_qs, false), u"lock.doc.fill"_qs);
    EXPECT_EQ(AppUninstallerFlow::iconForFile(u"/a/README"_qs, false), u"doc.fill"_qs);
}

TEST(SheetRules, OnlyTheWholeHomeFolderAtThePathsStartReadsAsTilde)
{
    const QString home = u"/home/al"_qs;
    const std::vector<std::pair<QString, QString>> cases {
        { u"/home/al/Library/x"_qs, u"~/Library/x"_qs },
        { u"/home/al"_qs, u"~"_qs },
        { u"/home/alice/x"_qs, u"/home/alice/x"_qs },
        { u"/data/home/al/x"_qs, u"/data/home/al/x"_qs },
        { u"/home/al/home/al/x"_qs, u"~/home/al/x"_qs },
    };
    for (const auto &[path, shown] : cases) {
        EXPECT_EQ(AppUninstallerFlow::displayPath(path, home), shown) << path.toStdString();
        EXPECT_EQ(AppUninstallerFlow::displayPath(path, home + QLatin1Char('/')), shown);
    }
    EXPECT_EQ(AppUninstallerFlow::displayPath(u"/x"_qs, u"/"_qs), u"/x"_qs);
}

// The administrator step blocks its worker; the sheet stays usable meanwhile
// and takes no second removal, and its selection cannot change under it.
TEST_F(Sheet, WhileARemovalWaitsForTheAdministratorNothingElseStartsAndTheSheetAnswers)
{
    access.granted = true;
    QSemaphore prompt;
    QSemaphore answered;
    world.admin.answer = [&](const std::vector<std::string> &) {
        prompt.release();
        answered.acquire();
        return AdminRunner::Result { AdminRunner::Outcome::Succeeded, {} };
    };
    auto flow = open();
    ASSERT_TRUE(reviewed(*flow));
    flow->selectAll(); // locked system entries too: they go through the administrator
    const int selected = flow->selectedCount();
    flow->performDeletion(AppUninstallerFlow::Method::permanent);
    ASSERT_TRUE(test::waitUntil([&] { return prompt.available() > 0; }));

    EXPECT_TRUE(flow->isRemoving());
    EXPECT_FALSE(flow->canRemove());
    EXPECT_FALSE(flow->canChangeSelection());
    flow->performDeletion(AppUninstallerFlow::Method::trash);
    flow->deselectAll();
    flow->toggleSelection(
        flow->files()->data(flow->files()->index(0), ResidualListModel::FileIdRole).toString());
    EXPECT_EQ(flow->selectedCount(), selected);
    bool answeredMeanwhile = false;
    QMetaObject::invokeMethod(
        flow.get(), [&] { answeredMeanwhile = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(test::waitUntil([&] { return answeredMeanwhile; }));

    answered.release(100);
    ASSERT_TRUE(test::waitUntil([&] { return flow->stage() == Stage::done; }));
    EXPECT_FALSE(flow->isRemoving());
    EXPECT_EQ(flow->deletionResult()->removedCount, selected);
    EXPECT_TRUE(flow->errorHeading().isEmpty());
    EXPECT_TRUE(flow->resultLine().startsWith(u"Removed %1 items · Freed "_qs.arg(selected)));
    EXPECT_EQ(world.admin.calls().size(), 3u); // the three locked entries, once each
}

TEST_F(Sheet, ARemovalThatRemovesNothingStaysOnTheReviewWithTheAlert)
{
    access.granted = true;
    auto flow = open();
    ASSERT_TRUE(reviewed(*flow));
    flow->deselectAll();
    EXPECT_FALSE(flow->canRemove());
    flow->performDeletion(AppUninstallerFlow::Method::permanent);
    ASSERT_TRUE(test::waitUntil([&] { return flow->showPermissionError(); }));
    EXPECT_EQ(flow->stage(), Stage::review);
    EXPECT_EQ(flow->permissionErrorMessage(),
        u"No items were selected or all selected files were already deleted."_qs);
}

} // namespace
