#pragma once

#include <QHash>
#include <QString>
#include <QUrl>
#include <QUuid>

namespace brimlark {

enum class FileItemKind { file };

// A recently used file. Every item built gets a new id, so two items for the
// same file are different items. The icon is named by the file's path: views
// ask the icon provider for it, which keeps GUI types out of the model.
class FileItem
{
    Q_GADGET
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(QUrl url READ url CONSTANT)
    Q_PROPERTY(QString iconPath READ iconPath CONSTANT)

public:
    FileItem() = default;
    FileItem(QString name, QString iconPath, QUrl url)
        : m_id(QUuid::createUuid())
        , m_name(std::move(name))
        , m_iconPath(std::move(iconPath))
        , m_url(std::move(url))
    {
    }

    const QUuid &id() const { return m_id; }
    const QString &name() const { return m_name; }
    const QString &iconPath() const { return m_iconPath; }
    const QUrl &url() const { return m_url; }
    FileItemKind kind() const { return FileItemKind::file; }

    bool operator==(const FileItem &other) const { return m_id == other.m_id; }

private:
    QUuid m_id;
    QString m_name;
    QString m_iconPath;
    QUrl m_url;
};

inline size_t qHash(const FileItem &item, size_t seed = 0)
{
    return qHash(item.id(), seed);
}

} // namespace brimlark
