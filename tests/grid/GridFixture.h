#pragma once

#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/Biometrics.h"
#include "platform/core/NotificationCenter.h"
#include "platform/gui/AppWorkspace.h"
#include "state/BrimlarkViewModel.h"
#include "state/ObjectGraph.h"
#include "support/ManualScheduler.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

#include "support/SharedIconStore.h"

namespace brimlark::test {

// Records launches; starts the programs only when asked to.
class RecordingWorkspace : public AppWorkspace
{
public:
    bool openApplication(const QString &bundlePath) override
    {
        opened << bundlePath;
        return startsPrograms ? AppWorkspace::openApplication(bundlePath) : true;
    }
    QStringList opened;
    bool startsPrograms = false;
};

// Biometrics that answer at once with what the test chose; unavailable
// unless told otherwise, like this machine's.
class FakeBiometrics : public Biometrics
{
public:
    Capability canEvaluatePolicy() override { return { available, capabilityError }; }
    void evaluatePolicy(const QString &reason, Reply reply) override
    {
        reasons << reason;
        reply(succeed, replyError);
    }
    bool available = false;
    std::optional<QString> capabilityError;
    bool succeed = true;
    std::optional<QString> replyError;
    QStringList reasons;
};

// A catalog and a view model over in-memory settings, a recording
// workspace and virtual time; the grid's scheduler is the same virtual
// clock while the fixture lives.
class GridFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(brimlark::BrimlarkViewModel *viewModel READ viewModel CONSTANT)
    Q_PROPERTY(QStringList launched READ launched)

public:
    // Bundles live below `root` (nothing is created on disk).
    explicit GridFixture(const QString &root = QStringLiteral("/Applications"), QObject *parent = nullptr);
    ~GridFixture() override;

    AppItem app(const QString &name, const QString &category = QStringLiteral("Utilities")) const;
    // Publishes a scan of these applications (names, in the given order).
    Q_INVOKABLE void publish(const QStringList &names);
    // The same, each application in the category at its place in `categories`.
    Q_INVOKABLE void publishIn(const QStringList &names, const QStringList &categories);
    // The All Apps order by its text ("Category" shows the unified grid).
    Q_INVOKABLE void setSortOption(const QString &text);
    Q_INVOKABLE void hideFolder(const QString &name);
    // Hides the named applications (or `count` made-up ones named "App 1"…)
    // globally, as the catalog does.
    Q_INVOKABLE void hideApps(const QStringList &names);
    Q_INVOKABLE QStringList manyNames(int count) const;
    Q_INVOKABLE QStringList folderNames() const;
    Q_INVOKABLE bool isFolderHidden(const QString &name) const;
    void publish(const QList<AppItem> &apps);
    // A new folder holding the named applications, as the catalog has it.
    Q_INVOKABLE QVariant makeFolder(const QString &name, const QStringList &members = {});
    AppFolder folder(const QString &name) const;
    Q_INVOKABLE QStringList folderMembers(const QString &name) const;
    Q_INVOKABLE QVariant appNamed(const QString &name) const;
    Q_INVOKABLE QString urlTextOf(const QString &name) const;
    Q_INVOKABLE void selectFolder(const QString &name);
    Q_INVOKABLE void renameFolder(const brimlark::AppFolder &folder, const QString &newName)
    {
        finder.renameFolder(folder, newName);
    }
    Q_INVOKABLE void selectSection(const QString &kind);
    Q_INVOKABLE void beginScan();
    // The sheets the view model asks for, by name; "" while none is up. A
    // null folder closes the picker.
    Q_INVOKABLE void setAppPicker(const QVariant &folder);
    Q_INVOKABLE QString appPickerFolderName()
    {
        return vm().showingAppPicker() ? vm().folderForPicker().value_or(AppFolder()).name : QString();
    }
    Q_INVOKABLE void askToUninstall(const QString &name)
    {
        vm().setAppToUninstall(appNamed(name).value<AppItem>());
    }
    Q_INVOKABLE QString appToUninstallName() { return vm().appToUninstall().value_or(AppItem()).name(); }
    // Sets the hidden-items password and waits until it is stored.
    Q_INVOKABLE bool setPassword(const QString &password);
    Q_INVOKABLE void advance(int msecs);
    // The unified grid's cards as their stored texts.
    QStringList gridItemTexts();

    BrimlarkViewModel &vm() { return graph.viewModel(); }
    BrimlarkViewModel *viewModel() { return &graph.viewModel(); }
    QStringList launched() const { return workspace.opened; }

    QString root;
    RecordingWorkspace workspace;
    FakeBiometrics biometrics;
    ManualScheduler scheduler;
    ObjectGraph graph;
    Defaults &defaults;
    NotificationCenter &center;
    WorkspaceManager &workspaces;
    AppFinder &finder;

private:
    ObjectGraph::Options options();

    BrimlarkViewModel *m_vm;
};

} // namespace brimlark::test
