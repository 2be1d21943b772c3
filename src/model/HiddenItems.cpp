#include "model/HiddenItems.h"

#include "model/StoredStrings.h"
#include "platform/core/UuidText.h"

namespace brimlark {

HiddenItems::HiddenItems(Defaults &defaults)
    : m_defaults(defaults)
{
    const QStringList paths = StoredStrings::read(m_defaults, hiddenAppsKey);
    m_appPaths = QSet<QString>(paths.begin(), paths.end());
    for (const auto &text : StoredStrings::read(m_defaults, hiddenFoldersKey)) {
        if (auto id = UuidText::parse(text)) {
            m_folderIDs.insert(*id);
        }
    }
}

void HiddenItems::setAppHidden(const QString &path, bool hidden)
{
    if (hidden) {
        m_appPaths.insert(path);
    } else {
        m_appPaths.remove(path);
    }
    // Stored also when nothing changed: the stored list follows the set.
    QStringList texts(m_appPaths.begin(), m_appPaths.end());
    texts.sort();
    StoredStrings::write(m_defaults, hiddenAppsKey, texts);
}

void HiddenItems::setFolderHidden(const QUuid &id, bool hidden)
{
    if (hidden) {
        m_folderIDs.insert(id);
    } else {
        m_folderIDs.remove(id);
    }
    QStringList texts;
    for (const auto &folderID : std::as_const(m_folderIDs)) {
        texts << UuidText::format(folderID);
    }
    texts.sort();
    StoredStrings::write(m_defaults, hiddenFoldersKey, texts);
}

} // namespace brimlark
