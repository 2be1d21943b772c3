#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace brimlark {

// The user's private runtime folder: sockets and short-lived files that no
// other local user may read, replace or plant (the single-instance socket,
// the QR code's PNG).
//
// With XDG_RUNTIME_DIR set (an absolute path) it is "$XDG_RUNTIME_DIR/brimlark";
// otherwise "<TMPDIR or /tmp>/brimlark-<uid>". The folder is created with mode
// 0700 when missing. An existing one is used only when it is a real folder
// (not a symbolic link), owned by this process's real user, and neither
// group nor others have any access; otherwise there is no folder and
// `whyNot` (when given) says why. Nothing here ever loosens or takes over a
// folder that fails these checks. No Qt; safe from any thread.
std::optional<std::filesystem::path> privateRuntimeDirectory(std::string *whyNot = nullptr);

} // namespace brimlark
