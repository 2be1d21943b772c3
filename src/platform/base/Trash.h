#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace brimlark {

// The user's freedesktop Trash: <data home>/Trash with files/ and info/, one
// <name>.trashinfo per item. The info file is written first and exclusively:
// it claims the name, so two moves never pick the same one. The move itself
// is the caller's (in process, or by the administrator helper), always with
// "never replace" semantics, so the info file is the application's own even
// when an administrator moved the item.
class Trash
{
public:
    using Clock = std::function<std::time_t()>;
    struct Reservation
    {
        std::string name; // the item's name in files/
        std::string infoPath; // its .trashinfo
    };

    explicit Trash(std::string dataHome, Clock clock = {});
    // $XDG_DATA_HOME when it is set to an absolute path, else <home>/.local/share.
    static std::string dataHomeFor(const std::string &home);

    std::string filesDirectory() const;
    std::string infoDirectory() const;

    // Claims a name for the item at originalPath: its own name, or (when that
    // is taken, or fresh is asked for) "<stem>_<8 hex digits>[.<extension>]".
    std::optional<Reservation> reserve(const std::string &originalPath, bool fresh, std::string &error) const;
    // Gives a claimed name back after a move that did not happen.
    void release(const Reservation &reservation) const;

    // "report.log" + "0A1B2C3D" -> "report_0A1B2C3D.log"; no extension, no dot.
    static std::string collisionName(const std::string &name, const std::string &tag);
    static std::string encodePath(const std::string &path);

private:
    bool ensureFolders(std::string &error) const;

    std::string m_root;
    Clock m_clock;
};

} // namespace brimlark
