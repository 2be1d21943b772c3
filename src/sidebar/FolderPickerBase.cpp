#include "sidebar/FolderPickerBase.h"

#include "state/ViewModelBinding.h"

namespace brimlark {

FolderPickerBase::FolderPickerBase(QObject *parent)
    : QObject(parent)
{
}

void FolderPickerBase::setCatalog(AppFinder *catalog)
{
    if (!rebindHandedObject(*this, m_catalog, catalog)) {
        return;
    }
    followCatalogFolders(m_catalog.data(), this, &FolderPickerBase::reload);
    emit catalogChanged();
    reload();
}

void FolderPickerBase::setFolder(const AppFolder &folder)
{
    m_folder = folder;
    emit folderChanged();
    reload();
}

void FolderPickerBase::reload()
{
    if (!m_catalog || m_folder.id.isNull()) {
        return;
    }
    for (const auto &f : m_catalog->folders()) {
        if (f.id == m_folder.id) {
            if (f.icon != m_folder.icon || f.color != m_folder.color || f.name != m_folder.name) {
                m_folder = f;
                emit folderChanged();
            }
            return;
        }
    }
}

} // namespace brimlark
