// The privileged removal helper: run through pkexec with a fixed argument
// vector, never a shell. It removes or trashes one residual item below the
// roots the uninstaller scans and nowhere else.
//
// Run by pkexec (PKEXEC_UID set) it trusts nothing its caller names but the
// item and the Trash name: the home is that account's passwd entry, the
// Trash is inside that home, the system root is the build's.
//
//   brimlark-removal-helper delete <path>
//   brimlark-removal-helper move   <path> <trash-name>
//
// Run directly by root (tests, the sample tree) the roots come first:
//
//   brimlark-removal-helper delete <home> <system-root> <trash-files> <path>
//   brimlark-removal-helper move   <home> <system-root> <trash-files> <path> <trash-name>
//
// Exit status: 0 done, 1 failed, 2 refused, 3 the Trash name is taken. The
// reason goes to standard error as one line. 126 and 127 are pkexec's own
// (refused or dismissed authentication), so the helper never uses them.

#include "SafeRemoval.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <pwd.h>
#include <string>

#ifndef BRIMLARK_HELPER_SYSTEM_ROOT
#define BRIMLARK_HELPER_SYSTEM_ROOT "/"
#endif

namespace {

int finish(const brimlark::SafeRemoval::Outcome &outcome)
{
    using Status = brimlark::SafeRemoval::Status;
    if (!outcome.reason.empty()) {
        std::fprintf(stderr, "%s\n", outcome.reason.c_str());
    }
    switch (outcome.status) {
    case Status::Ok:
        return 0;
    case Status::Failed:
        return 1;
    case Status::Refused:
        return 2;
    case Status::DestinationExists:
        return 3;
    }
    return 1;
}

int refuse(const char *reason)
{
    std::fprintf(stderr, "%s\n", reason);
    return 2;
}

// A decimal user id and nothing else.
bool parseUid(const char *text, uid_t &uid)
{
    if (!text || !*text) {
        return false;
    }
    unsigned long long value = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9' || value > 0xFFFFFFFFull) {
            return false;
        }
        value = value * 10 + unsigned(*c - '0');
    }
    if (value >= 0xFFFFFFFFull) {
        return false;
    }
    uid = uid_t(value);
    return true;
}

int forAccount(const char *pkexecUid, int argc, char **argv)
{
    const bool remove = argc == 3 && std::strcmp(argv[1], "delete") == 0;
    const bool move = argc == 4 && std::strcmp(argv[1], "move") == 0;
    if (!remove && !move) {
        return refuse("The removal helper was called with the wrong arguments");
    }
    uid_t uid = 0;
    if (!parseUid(pkexecUid, uid)) {
        return refuse("The removal helper was not told which account asked");
    }
    errno = 0;
    const passwd *account = getpwuid(uid);
    if (!account || !account->pw_dir || account->pw_dir[0] != '/') {
        return refuse("The account that asked has no home folder");
    }
    const std::string home = brimlark::SafeRemoval::cleaned(account->pw_dir);
    if (home == "/") {
        return refuse("The account that asked has no home folder of its own");
    }
    // pkexec's environment is a clean one: XDG_DATA_HOME is not the user's
    // here, and the default Trash is the only one.
    const brimlark::SafeRemoval removal(home, BRIMLARK_HELPER_SYSTEM_ROOT,
        brimlark::SafeRemoval::accountTrashFiles(home),
        brimlark::SafeRemoval::Account { account->pw_uid, account->pw_gid });
    return finish(remove ? removal.remove(argv[2]) : removal.moveToTrash(argv[2], argv[3]));
}

} // namespace

int main(int argc, char **argv)
{
    try {
        if (const char *pkexecUid = std::getenv("PKEXEC_UID")) {
            return forAccount(pkexecUid, argc, argv);
        }
        const bool remove = argc == 6 && std::strcmp(argv[1], "delete") == 0;
        const bool move = argc == 7 && std::strcmp(argv[1], "move") == 0;
        if (!remove && !move) {
            return refuse("The removal helper was called with the wrong arguments");
        }
        const brimlark::SafeRemoval removal(argv[2], argv[3], argv[4]);
        return finish(remove ? removal.remove(argv[5]) : removal.moveToTrash(argv[5], argv[6]));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "The removal helper stopped: %s\n", e.what());
        return 1;
    }
}
