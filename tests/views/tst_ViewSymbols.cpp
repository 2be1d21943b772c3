#include "platform/gui/Symbols.h"

#include "BundleFixtures.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

using namespace brimlark;

namespace {

struct Use
{
    QString name;
    QString where;
};

// The symbol names a QML file writes: the string literals bound to a
// SymbolImage's `name` and to any `symbol` (a property, a menu entry's key).
// A binding ends at a `;`, a `,`, the end of its block, or the end of a line
// that the next one does not continue with an operator.
QList<Use> symbolNamesIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    static const QRegularExpression tokens(
        uR"re(//[^\n]*|/\*.*?\*/|"(?:[^"\\]|\\.)*"|'(?:[^'\\]|\\.)*'|\w+|\n|[-+*/?:|&!=<>]+|\S)re"_qs,
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression continuation(uR"re(^[-+*/?:|&!=<>]+$)re"_qs);
    QList<Use> uses;
    QStringList blocks; // the type of each open block, empty for a JavaScript one
    QString last;
    bool inBinding = false, lineEnded = false;
    int nesting = 0, line = 1;
    for (auto it = tokens.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
        const QString token = it.next().captured();
        line += token.count(u'\n');
        if (token.startsWith(u"//") || token.startsWith(u"/*") || token == u"\n") {
            lineEnded = lineEnded || (token == u"\n" && nesting == 0);
            continue;
        }
        if (lineEnded && !continuation.match(token).hasMatch()) {
            inBinding = false;
        }
        lineEnded = false;
        if (token == u"{") {
            blocks << (!last.isEmpty() && last.front().isLetter() ? last : QString());
        } else if (token == u"}") {
            if (!blocks.isEmpty()) {
                blocks.removeLast();
            }
            inBinding = false;
        } else if (token == u"(" || token == u"[") {
            ++nesting;
        } else if (token == u")" || token == u"]") {
            nesting = std::max(0, nesting - 1);
        } else if ((token == u";" || token == u",") && nesting == 0) {
            inBinding = false;
        } else if (token == u":" && !inBinding) {
            const QString key = last.startsWith(u'"') ? last.mid(1, last.size() - 2) : last;
            inBinding
                = key == u"symbol" || (key == u"name" && blocks.value(blocks.size() - 1) == u"SymbolImage");
            nesting = 0;
        } else if (inBinding && token.startsWith(u'"') && token.size() > 2) {
            uses.append({ token.mid(1, token.size() - 2), path + u':' + QString::number(line) });
        }
        last = token;
    }
    return uses;
}

QList<Use> symbolNamesInTheViews()
{
    QList<Use> uses;
    QDirIterator files(
        test::sourceDir() + u"/src"_qs, { u"*.qml"_qs }, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        uses += symbolNamesIn(files.next());
    }
    return uses;
}

// A symbol a view names but the program cannot draw shows as an empty space;
// a new one fails here without anyone keeping a list.
TEST(ViewSymbols, EveryNameTheViewsWriteHasAGlyph)
{
    const QList<Use> uses = symbolNamesInTheViews();
    EXPECT_GT(uses.size(), 40) << "the scan of the QML sources found too little";
    for (const Use &use : uses) {
        EXPECT_TRUE(Symbols::exists(use.name)) << use.where.toStdString() << ": " << use.name.toStdString();
    }
}

} // namespace
