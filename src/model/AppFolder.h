#pragma once

#include <nlohmann/json.hpp>

#include <QDateTime>
#include <QHash>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace brimlark {

// A user folder of applications. Equality and hashing use the id alone, so a
// renamed copy still equals the earlier copy.
class AppFolder
{
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString idText READ idText)
    Q_PROPERTY(bool isNull READ isNull)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QStringList appURLs MEMBER appURLs)
    Q_PROPERTY(bool isPinned MEMBER isPinned)
    Q_PROPERTY(QString icon MEMBER icon)
    Q_PROPERTY(QString color MEMBER color)
    Q_PROPERTY(int sortOrder READ sortOrderInt)

public:
    QUuid id;
    QString name;
    QStringList appURLs;
    bool isPinned = false;
    QString icon;
    QString color;
    std::optional<QUuid> parentFolderID;
    QDateTime createdAt;
    qint64 sortOrder = 0;

    QString idText() const;
    // Where a view hands a folder over, a value with a null id stands for
    // none (QML: folder.isNull).
    bool isNull() const { return id.isNull(); }
    int sortOrderInt() const { return int(sortOrder); }

    bool operator==(const AppFolder &other) const { return id == other.id; }
    // Every field alike (equality above looks at the id alone).
    bool sameDetails(const AppFolder &other) const
    {
        return id == other.id && name == other.name && appURLs == other.appURLs && isPinned == other.isPinned
            && icon == other.icon && color == other.color && parentFolderID == other.parentFolderID
            && createdAt == other.createdAt && sortOrder == other.sortOrder;
    }

    // Where a member stands, matched by bundle path (BundleUrl::localPath):
    // every drop and hover path finds members through this; -1 when absent.
    qsizetype positionOf(const QString &bundlePath) const;
    // The list move that puts `source` where `target` stands: the source's
    // position, the target's, and the destination counted before the move;
    // nothing when either is not a member.
    struct Move
    {
        int from = 0;
        int to = 0;
        int destination = 0;
        bool operator==(const Move &other) const = default;
    };
    std::optional<Move> moveOnto(const QString &sourcePath, const QString &targetPath) const;

    // The stored form: see the key table in the implementation.
    nlohmann::ordered_json toJson() const;
    // Nothing when a required key is missing or a value has the wrong type.
    static std::optional<AppFolder> fromJson(const nlohmann::ordered_json &json);

    // Dates travel as seconds since 1 January 2001 00:00:00 UTC.
    static double secondsSinceReferenceDate(const QDateTime &date);
    static QDateTime dateFromReferenceSeconds(double seconds);
};

inline size_t qHash(const AppFolder &folder, size_t seed = 0)
{
    return qHash(folder.id, seed);
}

} // namespace brimlark

Q_DECLARE_METATYPE(brimlark::AppFolder)
