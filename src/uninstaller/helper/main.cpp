// The privileged removal helper: run through pkexec with a fixed argument
// vector, never a shell. It removes or trashes one residual item below the
// roots the uninstaller scans and nowhere else.
//
//   brimlark-removal-helper delete <home> <system-root> <trash-files> <path>
//   brimlark-removal-helper move   <home> <system-root> <trash-files> <path> <trash-name>
//
// Exit status: 0 done, 1 failed, 2 refused, 3 the Trash name is taken. The
// reason goes to standard error as one line. 126 and 127 are pkexec's own
// (refused or dismissed authentication), so the helper never uses them.

#include "SafeRemoval.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

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

} // namespace

int main(int argc, char **argv)
{
    try {
        const bool remove = argc == 6 && std::strcmp(argv[1], "delete") == 0;
        const bool move = argc == 7 && std::strcmp(argv[1], "move") == 0;
        if (!remove && !move) {
            std::fprintf(stderr, "The removal helper was called with the wrong arguments\n");
            return 2;
        }
        const brimlark::SafeRemoval removal(argv[2], argv[3], argv[4]);
        return finish(remove ? removal.remove(argv[5]) : removal.moveToTrash(argv[5], argv[6]));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "The removal helper stopped: %s\n", e.what());
        return 1;
    }
}
