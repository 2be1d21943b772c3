#include "model/AppScanner.h"

#include "platform/Bundle.h"
#include "platform/BundleUrl.h"
#include "platform/NameComparison.h"
#include "platform/SystemPaths.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <utility>
#include <vector>

namespace brimlark {

namespace {
const QString appExtension = QStringLiteral(".app");

QString capitalised(const QString &text)
{
    // A word is a run of letters and digits; anything else separates words
    // ("developer-tools" gives "Developer-Tools").
    QString out;
    out.reserve(text.size());
    bool inWord = false;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            out += inWord ? c.toLower() : c.toUpper();
            inWord = true;
        } else {
            out += c;
            inWord = false;
        }
    }
    return out;
}
} // namespace

QStringList AppScanner::applicationFolders()
{
    QStringList out;
    for (const std::string &folder : SystemPaths::applicationDirectories()) {
        out << QString::fromStdString(folder);
    }
    return out;
}

QString AppScanner::categoryFor(const std::optional<QString> &categoryType)
{
    if (!categoryType) {
        return otherCategory;
    }
    const qsizetype dot = categoryType->lastIndexOf(u'.');
    return capitalised(dot < 0 ? *categoryType : categoryType->mid(dot + 1));
}

AppItem AppScanner::itemForBundle(const QString &folder, const QString &entryName)
{
    const QString path = folder == u"/" ? u'/' + entryName : folder + u'/' + entryName;
    // The listing already said a directory is there.
    const Bundle bundle = Bundle::openListed(path);
    const QString category = categoryFor(bundle.stringForInfoKey(categoryKey));
    return AppItem(entryName.left(entryName.size() - appExtension.size()), BundleUrl::directoryUrl(path), category);
}

QList<AppItem> AppScanner::scanFolder(const QString &folder)
{
    QList<AppItem> out;
    // Hidden entries are left out; symbolic links to bundles count as bundles.
    // Code-point order keeps the listing the same from scan to scan without
    // a collation here; the name sort after the scan is the one that counts.
    QStringList entries = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(entries.begin(), entries.end());
    for (const QString &name : entries) {
        if (name.size() > appExtension.size() && name.endsWith(appExtension, Qt::CaseSensitive)) {
            out.append(itemForBundle(folder, name));
        }
    }
    return out;
}

QList<AppItem> AppScanner::scan(const QStringList &folders)
{
    QList<AppItem> out;
    for (const QString &folder : folders) {
        out.append(scanFolder(folder));
    }
    sortByName(out);
    return out;
}

void AppScanner::sortByName(QList<AppItem> &apps)
{
    // A collator of this scan's own (scans run on pool threads), and one
    // sort key per name rather than a collation per comparison.
    const NameComparison comparison{QLocale()};
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(size_t(apps.size()));
    for (qsizetype i = 0; i < apps.size(); ++i) {
        keys.emplace_back(comparison.sortKey(apps[i].name()), i);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    QList<AppItem> sorted;
    sorted.reserve(apps.size());
    for (const auto &key : keys) {
        sorted.append(std::move(apps[key.second]));
    }
    apps = std::move(sorted);
}

} // namespace brimlark
