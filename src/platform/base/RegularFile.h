#pragma once

#include <cstddef>
#include <string>

struct stat;

namespace brimlark {

// Reads a file that anyone may have put in place: only a regular file is
// read, and the open never blocks (a named pipe or a device at the path would
// otherwise hold the reading thread for ever).
class RegularFile
{
public:
    enum class Status {
        Read,
        Missing,
        NotRegular,
        TooLarge,
        Failed,
    };
    struct Result
    {
        Status status = Status::Failed;
        std::string bytes;
    };

    // `status`, when given, gets the opened file's status (so a caller that
    // also wants it needs no second look-up); untouched when nothing opened.
    static Result read(const char *path, std::size_t maxBytes, struct stat *status = nullptr);
};

} // namespace brimlark
