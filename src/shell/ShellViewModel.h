#pragma once

#include "state/SidebarSelection.h"

namespace brimlark {

// What the shell's commands need from the launcher's view model. The view
// model implements it; until one is attached the commands that need it do
// nothing.
class ShellViewModel
{
public:
    virtual ~ShellViewModel() = default;

    // Sets the selection to a Library section: all apps, newly added,
    // recents or favorites. Setting it runs the view model's refilter once,
    // also when the value does not change.
    virtual void setLibrarySelection(SidebarSelection::Kind section) = 0;
};

} // namespace brimlark
