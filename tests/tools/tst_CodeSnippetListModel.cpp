#include "tools/CodeSnippetListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

CodeSnippet snippet(const char *title, const char *code = "x")
{
    return { QUuid::createUuid(), QString::fromUtf8(title), QString::fromUtf8(code), QStringLiteral("JS") };
}

// Each row as "title: code", so an edit in place shows as a changed row.
QStringList rows(const CodeSnippetListModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex at = model.index(row);
        out << model.data(at, CodeSnippetListModel::TitleRole).toString() + QStringLiteral(": ")
                + model.data(at, CodeSnippetListModel::CodeRole).toString();
    }
    return out;
}

// Every change reaches the view as rows, never as a reset: the list keeps its
// place and its delegates.
TEST(CodeSnippetListModel, EveryChangeArrivesAsRowUpdates)
{
    const CodeSnippet a = snippet("A"), b = snippet("B"), c = snippet("C"), d = snippet("D");
    CodeSnippet bEdited = b;
    bEdited.code = QStringLiteral("changed");
    struct Step
    {
        const char *what;
        QList<CodeSnippet> list;
        int inserted, removed, changed;
    };
    const std::vector<Step> steps = {
        { "first fill", { a, b, c }, 3, 0, 0 },
        { "a search narrows", { b }, 0, 2, 0 },
        { "the search is cleared", { a, b, c }, 2, 0, 0 },
        { "one appended", { a, b, c, d }, 1, 0, 0 },
        { "one edited", { a, bEdited, c, d }, 0, 0, 1 },
        { "the edit undone", { a, b, c, d }, 0, 0, 1 },
        { "one in the middle deleted", { a, c, d }, 0, 1, 0 },
        { "nothing changed", { a, c, d }, 0, 0, 0 },
    };
    CodeSnippetListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    for (const Step &step : steps) {
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setSnippets(step.list);
        QStringList expected;
        for (const auto &s : step.list) {
            expected << s.title + QStringLiteral(": ") + s.code;
        }
        EXPECT_EQ(rows(model), expected) << step.what;
        EXPECT_EQ(inserted.count(), step.inserted) << step.what;
        EXPECT_EQ(removed.count(), step.removed) << step.what;
        EXPECT_EQ(changed.count(), step.changed) << step.what;
    }
    EXPECT_EQ(resets.count(), 0);
}

} // namespace
