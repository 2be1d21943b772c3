#pragma once

#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace brimlark {

// Removes or trashes one residual item without ever following a symbolic link:
// each parent is opened from a trusted root with O_NOFOLLOW, and the item is
// unlinked or renamed through directory descriptors. Used by the application
// for the user's own removals and by the privileged removal helper, so both
// obey the same rules about what may be touched. No Qt: the helper runs as root.
class SafeRemoval
{
public:
    enum class Status {
        Ok,
        Refused, // outside the permitted folders, a root itself, malformed
        DestinationExists, // the Trash name is taken; the caller picks another
        Failed, // the file system said no; the reason says why
    };
    struct Outcome
    {
        Status status = Status::Ok;
        std::string reason;
        int error = 0; // the errno behind a failure, when there is one
    };
    // The account an administrator acts for: its Trash is trusted only when
    // every folder of it below the home is that account's own and no link,
    // and what is moved there becomes that account's.
    struct Account
    {
        uid_t uid = 0;
        gid_t gid = 0;
    };

    // home and systemRoot are the roots the residual scan reads below;
    // trashFiles is the user's Trash files/ folder, a move destination only.
    // The home is cleaned of empty and "." components first.
    SafeRemoval(std::string home, std::string systemRoot, std::string trashFiles,
        std::optional<Account> account = std::nullopt);

    // "/a//b/./c/" -> "/a/b/c"; ".." is kept (a path with one is refused).
    static std::string cleaned(const std::string &path);

    // The account's own Trash files/ folder: the only one an administrator's
    // move uses, whatever XDG_DATA_HOME the program was started with (pkexec
    // clears the environment).
    static std::string accountTrashFiles(const std::string &home);

    // The Library folders the residual scan lists; a finding there must be a
    // direct child of one of them.
    static std::vector<std::string> residualFolders(const std::string &home, const std::string &systemRoot);

    // Whether the path is something this class would touch (checks the text only).
    bool permits(const std::string &path) const;

    // Removes the item (a folder with everything in it, a file or a link).
    Outcome remove(const std::string &path) const;
    // Moves the item into the Trash's files/ folder under trashName, never
    // replacing what is there.
    Outcome moveToTrash(const std::string &path, const std::string &trashName) const;

private:
    struct Anchor
    {
        std::string base; // opened as given: the trusted part
        std::vector<std::string> below; // walked with O_NOFOLLOW
    };
    bool locate(const std::string &path, Anchor &anchor, std::string &name, std::string &reason) const;
    int openParent(const Anchor &anchor, std::string &reason) const;
    int openTrash(std::string &reason, int &error) const;
    void handOver(int trash, const std::string &name, const struct stat &moved) const;

    std::string m_home;
    std::string m_systemRoot;
    std::string m_trashFiles;
    std::optional<Account> m_account;
};

} // namespace brimlark
