#pragma once

#include "shell/ShellViewModel.h"

namespace brimlark {

class BrimlarkViewModel;

// The shell's commands carried out on the launcher's view model.
class ViewModelCommands : public ShellViewModel
{
public:
    explicit ViewModelCommands(BrimlarkViewModel &viewModel)
        : m_viewModel(viewModel)
    {
    }
    void setLibrarySelection(SidebarSelection::Kind section) override;

private:
    BrimlarkViewModel &m_viewModel;
};

} // namespace brimlark
