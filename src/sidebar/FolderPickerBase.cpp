#include "sidebar/FolderPickerBase.h"

#include "state/ViewModelBinding.h"

#include "model/AppFinder.h"
#include "state/BrimlarkViewModel.h"

namespace brimlark {

FolderPickerBase::FolderPickerBase(QObject *parent)
    : QObject(parent)
{
}

void FolderPickerBase::setViewModel(BrimlarkViewModel *viewModel)
{
    if (!rebindViewModel(*this, m_viewModel, viewModel)) {
        return;
    }
    if (m_viewModel) {
        connect(m_viewModel, &BrimlarkViewModel::foldersChanged, this, &FolderPickerBase::reload);
    }
    emit viewModelChanged();
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
    if (!m_viewModel || m_folder.id.isNull()) {
        return;
    }
    for (const auto &f : m_viewModel->folders()) {
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
