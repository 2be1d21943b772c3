#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

// Whether the program may read the places the residual scan reads, and a way
// to take the user to where that is granted.
class DiskAccess
{
public:
    virtual ~DiskAccess() = default;
    virtual bool hasAccess() = 0;
    virtual void openSystemSettings() = 0;
};

// There is no system-wide access switch here: access is there when every
// folder of the list that exists can be listed. "Settings" is the first folder
// that cannot, shown in the file manager, where the user can fix its rights.
class FolderDiskAccess : public DiskAccess
{
public:
    using Folders = std::function<std::vector<std::string>()>;
    using Opener = std::function<void(const std::string &folder)>;

    FolderDiskAccess(Folders folders, Opener open);

    // The first folder of the list that exists (or cannot be told apart from
    // existing) and cannot be listed.
    std::optional<std::string> firstUnreadableFolder() const;

    bool hasAccess() override;
    void openSystemSettings() override;

private:
    Folders m_folders;
    Opener m_open;
};

} // namespace brimlark
