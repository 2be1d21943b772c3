#pragma once

#include <QString>

namespace brimlark {

// What the shell's commands need from the launcher's view model. The view
// model implements it; until one is attached the commands that need it do
// nothing.
class ShellViewModel
{
public:
    virtual ~ShellViewModel() = default;

    // Sets the selection to a Library section, named by its selection case:
    // "allApps", "newlyAdded", "recents" or "favorites". Setting it runs the
    // view model's refilter once, also when the value does not change.
    virtual void setLibrarySelection(const QString &caseName) = 0;
};

} // namespace brimlark
