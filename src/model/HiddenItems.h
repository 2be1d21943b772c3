#pragma once

#include <QSet>
#include <QString>
#include <QUuid>

namespace brimlark {

class Defaults;

// The applications (by bundle path) and folders (by id) hidden in every
// workspace, stored as sorted texts under "brimlark_hidden_apps" and
// "brimlark_hidden_folders". Every change is stored at once.
class HiddenItems
{
public:
    static inline const QString hiddenAppsKey = QStringLiteral("brimlark_hidden_apps");
    static inline const QString hiddenFoldersKey = QStringLiteral("brimlark_hidden_folders");

    // Loads both sets; folder texts that are not ids are dropped.
    explicit HiddenItems(Defaults &defaults);

    const QSet<QString> &appPaths() const { return m_appPaths; }
    const QSet<QUuid> &folderIDs() const { return m_folderIDs; }

    void setAppHidden(const QString &path, bool hidden);
    void setFolderHidden(const QUuid &id, bool hidden);

private:
    Defaults &m_defaults;
    QSet<QString> m_appPaths;
    QSet<QUuid> m_folderIDs;
};

} // namespace brimlark
