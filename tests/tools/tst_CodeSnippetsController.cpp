#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "support/ManualScheduler.h"
#include "tools/CodeSnippetsController.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

using namespace brimlark;
using namespace std::chrono_literals;

namespace {

class CodeSnippetsTest : public ::testing::Test
{
protected:
    QStringList titles() const
    {
        QStringList out;
        for (const auto &s : snippets.filteredSnippets()) {
            out << s.title;
        }
        return out;
    }
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager manager { defaults, center };
    WorkspaceStorage storage { defaults, manager, center };
    ManualScheduler scheduler;
    CodeSnippetsController snippets { storage, scheduler };
};

TEST_F(CodeSnippetsTest, SearchMatchesTitlesOnlyIgnoringCase)
{
    const std::pair<QString, QStringList> cases[] = {
        { QString(), { QStringLiteral("Swift Print"), QStringLiteral("HTML Quick Start") } },
        { QStringLiteral("html"), { QStringLiteral("HTML Quick Start") } },
        { QStringLiteral("PRINT"), { QStringLiteral("Swift Print") } },
        { QStringLiteral("Hello"), {} }, // in the code only
        { QStringLiteral("Print "), {} }, // not trimmed
    };
    for (const auto &[search, expected] : cases) {
        snippets.setSnippetSearch(search);
        EXPECT_EQ(titles(), expected) << search.toStdString();
    }
}

TEST_F(CodeSnippetsTest, SaveAppendsAsTypedAndResetsTheForm)
{
    snippets.setShowCreateForm(true);
    snippets.setNewTitle(QStringLiteral("   "));
    EXPECT_FALSE(snippets.canSave());
    snippets.save();
    EXPECT_EQ(storage.codeSnippets().size(), 2);
    snippets.setNewCode(QStringLiteral("ls -la"));
    snippets.save();
    snippets.setNewTitle(QStringLiteral("Fetch"));
    snippets.setNewCode(QStringLiteral("fetch(url)"));
    snippets.setNewLanguage(QString());
    snippets.save();

    WorkspaceStorage reread(defaults, manager, center);
    ASSERT_EQ(reread.codeSnippets().size(), 4);
    EXPECT_EQ(reread.codeSnippets()[2].title, QStringLiteral("   "));
    EXPECT_EQ(reread.codeSnippets()[2].language, QStringLiteral("Swift"));
    EXPECT_EQ(reread.codeSnippets()[3].language, QString());
    EXPECT_TRUE(snippets.newTitle().isEmpty());
    EXPECT_EQ(snippets.newLanguage(), QStringLiteral("Swift"));
    EXPECT_FALSE(snippets.showCreateForm());
}

TEST_F(CodeSnippetsTest, CopyExpandAndDelete)
{
    const CodeSnippet first = storage.codeSnippets()[0];
    const CodeSnippet second = storage.codeSnippets()[1];
    snippets.copy(first.idText());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), first.code);
    EXPECT_EQ(snippets.copyMessage(), QStringLiteral("Snippet Copied!"));
    scheduler.advance(1500ms);
    EXPECT_TRUE(snippets.copyMessage().isEmpty());

    snippets.toggleExpanded(first.idText());
    snippets.toggleExpanded(second.idText()); // one row at a time
    EXPECT_EQ(snippets.expandedSnippetID(), second.idText());
    snippets.toggleExpanded(second.idText());
    EXPECT_TRUE(snippets.expandedSnippetID().isEmpty());

    snippets.remove(first.idText());
    snippets.remove(first.idText()); // gone already: nothing
    ASSERT_EQ(storage.codeSnippets().size(), 1);
    EXPECT_EQ(storage.codeSnippets()[0], second);
}

// A hand-edited or merged file with one id twice: copy and delete on the
// second row once acted on the first.
TEST_F(CodeSnippetsTest, TwinIdsActOnTheRowChosen)
{
    QList<CodeSnippet> twins = storage.codeSnippets();
    twins[1].id = twins[0].id;
    storage.setCodeSnippets(twins);
    WorkspaceStorage reread(defaults, manager, center);
    CodeSnippetsController controller(reread, scheduler);
    CodeSnippetListModel &rows = *controller.filteredSnippetModel();
    ASSERT_EQ(rows.rowCount(), 2);
    const QString second = rows.data(rows.index(1), CodeSnippetListModel::IdRole).toString();
    controller.copy(second);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), twins[1].code);
    controller.remove(second);
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(reread.codeSnippets()[0], twins[0]);
    EXPECT_EQ(WorkspaceStorage(defaults, manager, center).codeSnippets(), reread.codeSnippets());
}

} // namespace
