#include "platform/core/RecentDocuments.h"

#include "platform/base/RegularFile.h"
#include "platform/base/SystemPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

namespace brimlark {

namespace {
QDateTime parseStamp(QStringView text)
{
    QDateTime stamp = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    if (!stamp.isValid()) {
        // Some writers give more fractional digits than milliseconds.
        const qsizetype dot = text.indexOf(u'.');
        if (dot > 0) {
            qsizetype end = dot + 1;
            while (end < text.size() && text.at(end).isDigit()) {
                ++end;
            }
            const QString trimmed = text.left(std::min(dot + 4, end)).toString() + text.mid(end).toString();
            stamp = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
        }
    }
    return stamp;
}

void takeNewer(QDateTime &newest, QStringView text)
{
    if (text.isEmpty()) {
        return;
    }
    const QDateTime stamp = parseStamp(text);
    if (stamp.isValid() && (!newest.isValid() || stamp > newest)) {
        newest = stamp;
    }
}
} // namespace

RecentDocuments::RecentDocuments()
    : RecentDocuments([] { return QDateTime::currentDateTimeUtc(); }, defaultPath())
{
}

RecentDocuments::RecentDocuments(Clock clock, QString xbelPath)
    : m_clock(std::move(clock))
    , m_path(std::move(xbelPath))
{
}

QString RecentDocuments::defaultPath()
{
    return QString::fromStdString(SystemPaths::dataHome()) + QStringLiteral("/recently-used.xbel");
}

std::optional<QList<RecentDocuments::Document>> RecentDocuments::parse(const QByteArray &xbel)
{
    QList<Document> out;
    QXmlStreamReader reader(xbel);
    if (!reader.readNextStartElement() || reader.name() != u"xbel") {
        return std::nullopt;
    }
    std::optional<Document> current;
    int depth = 1;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            // Nothing real nests this deep; refuse rather than walk it.
            if (++depth > MaxNesting) {
                return std::nullopt;
            }
            const auto attributes = reader.attributes();
            if (depth == 2 && reader.name() == u"bookmark") {
                current.reset();
                const QUrl url(attributes.value(QLatin1String("href")).toString(), QUrl::StrictMode);
                if (url.isValid() && url.isLocalFile() && !url.toLocalFile().isEmpty()) {
                    Document doc;
                    doc.path = url.toLocalFile();
                    doc.displayName = QFileInfo(doc.path).fileName();
                    takeNewer(doc.lastUsed, attributes.value(QLatin1String("added")));
                    takeNewer(doc.lastUsed, attributes.value(QLatin1String("modified")));
                    takeNewer(doc.lastUsed, attributes.value(QLatin1String("visited")));
                    current = std::move(doc);
                }
            } else if (current && reader.name() == u"application") {
                // Each program that used the file records when it last did.
                takeNewer(current->lastUsed, attributes.value(QLatin1String("modified")));
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && reader.name() == u"bookmark" && current) {
                if (current->lastUsed.isValid() && !current->displayName.isEmpty()) {
                    out.append(std::move(*current));
                }
                current.reset();
            }
            --depth;
        }
    }
    if (reader.hasError()) {
        return std::nullopt;
    }
    return out;
}

QList<RecentDocuments::Document> RecentDocuments::fetch() const
{
    // Only a regular file, opened without blocking: a pipe at the path must
    // not hold the pool thread (and with it the quit) for ever.
    const auto file = RegularFile::read(QFile::encodeName(m_path).constData(), std::size_t(MaxFileBytes));
    if (file.status != RegularFile::Status::Read) {
        return {};
    }
    const auto all = parse(QByteArray::fromRawData(file.bytes.data(), qsizetype(file.bytes.size())));
    if (!all) {
        return {};
    }
    const QDateTime since = m_clock().addSecs(-WindowSeconds);
    QList<Document> out;
    for (const Document &doc : *all) {
        if (doc.lastUsed >= since && QFileInfo(doc.path).isFile()) {
            out.append(doc);
        }
    }
    std::stable_sort(
        out.begin(), out.end(), [](const Document &a, const Document &b) { return a.lastUsed > b.lastUsed; });
    if (out.size() > MaxDocuments) {
        out.resize(MaxDocuments);
    }
    return out;
}

} // namespace brimlark
