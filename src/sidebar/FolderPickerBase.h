#pragma once

#include "model/AppFolder.h"
#include "state/BrimlarkViewModel.h"

#include <QObject>
#include <QPointer>

namespace brimlark {

// What both folder pickers share: the folder they were opened for (its id
// names it to the catalog) and its current value, re-read whenever the
// catalog's folders change, so the marks follow what was stored last.
class FolderPickerBase : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        brimlark::BrimlarkViewModel *viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    // The folder the picker was opened for.
    Q_PROPERTY(brimlark::AppFolder folder READ folder WRITE setFolder NOTIFY folderChanged)

public:
    explicit FolderPickerBase(QObject *parent = nullptr);

    BrimlarkViewModel *viewModel() const { return m_viewModel; }
    void setViewModel(BrimlarkViewModel *viewModel);
    void setFolder(const AppFolder &folder);

    // The folder as the catalog has it now, or as given when it has gone.
    const AppFolder &folder() const { return m_folder; }

signals:
    void viewModelChanged();
    void folderChanged();

private:
    void reload();

    QPointer<BrimlarkViewModel> m_viewModel;
    AppFolder m_folder;
};

} // namespace brimlark
