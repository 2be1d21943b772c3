#pragma once

#include "model/WorkspaceStorage.h"
#include "state/ObjectGraph.h"
#include "support/ManualScheduler.h"
#include "support/ToolFakes.h"
#include "tools/DeskTools.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

namespace brimlark::test {

// The desk tools over in-memory settings, a virtual clock, a pasteboard and
// a screen sampler of their own and a ruler whose windows are not shown.
class ToolsFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(brimlark::DeskTools *deskTools READ deskTools CONSTANT)
    Q_PROPERTY(bool isRulerShowing READ isRulerShowing CONSTANT)

public:
    ToolsFixture();
    ~ToolsFixture() override;

    DeskTools *deskTools() { return &m_deskTools; }
    bool isRulerShowing() const { return m_ruler.isRulerShowing(); }

    Q_INVOKABLE void setNotes(const QStringList &texts);
    Q_INVOKABLE QStringList noteTexts() const;
    // Each entry a {title, code, language} map.
    Q_INVOKABLE void setSnippets(const QVariantList &snippets);
    Q_INVOKABLE QStringList snippetTitles() const;
    Q_INVOKABLE void appendSnippet(const QString &title);
    Q_INVOKABLE void setRecentMeasurements(const QStringList &texts);
    Q_INVOKABLE void setRecentColors(const QStringList &texts);
    Q_INVOKABLE void advance(int milliseconds);

private:
    QTemporaryDir m_qrFolder;
    ManualScheduler m_scheduler;
    ObjectGraph m_graph { [this] {
        ObjectGraph::Options o;
        o.scheduler = &m_scheduler;
        return o;
    }() };
    WorkspaceStorage &m_storage = m_graph.storage();
    testing::FakeScreenSampler m_sampler;
    testing::FakePasteboard m_pasteboard;
    testing::FakeRulerWindowLog m_rulerLog;
    RulerManager m_ruler;
    DeskTools m_deskTools;
};

} // namespace brimlark::test
