#include "shell/ViewModelCommands.h"

#include "state/BrimlarkViewModel.h"

namespace brimlark {

void ViewModelCommands::setLibrarySelection(SidebarSelection::Kind section)
{
    using Kind = SidebarSelection::Kind;
    if (section == Kind::allApps || section == Kind::newlyAdded || section == Kind::recents
        || section == Kind::favorites) {
        m_viewModel.selectSection(section);
    }
}

} // namespace brimlark
