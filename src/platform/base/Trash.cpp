#include "platform/base/Trash.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlark {

namespace {
// Tries before giving up on finding a free name; each uses new random digits.
constexpr int s_nameAttempts = 16;

std::string randomTag()
{
    static thread_local std::mt19937 engine { std::random_device {}() };
    static const char digits[] = "0123456789ABCDEF";
    std::string tag;
    for (int i = 0; i < 8; ++i) {
        tag.push_back(digits[engine() % 16]);
    }
    return tag;
}

bool makeFolder(const std::string &path)
{
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += size_t(n);
    }
    return true;
}
} // namespace

Trash::Trash(std::string dataHome, Clock clock)
    : m_root(std::move(dataHome) + "/Trash")
    , m_clock(clock ? std::move(clock) : Clock([] { return std::time(nullptr); }))
{
}

std::string Trash::dataHomeFor(const std::string &home)
{
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        return xdg;
    }
    return home + "/.local/share";
}

std::string Trash::filesDirectory() const
{
    return m_root + "/files";
}

std::string Trash::infoDirectory() const
{
    return m_root + "/info";
}

bool Trash::ensureFolders(std::string &error) const
{
    // The data home may not exist yet on a fresh account.
    std::string path;
    for (size_t pos = 1; pos != std::string::npos;) {
        pos = m_root.find('/', pos + 1);
        path = m_root.substr(0, pos);
        if (mkdir(path.c_str(), pos == std::string::npos ? 0700 : 0755) != 0 && errno != EEXIST) {
            break;
        }
    }
    if (!makeFolder(filesDirectory()) || !makeFolder(infoDirectory())) {
        error = std::string("The Trash couldn’t be created: ") + std::strerror(errno);
        return false;
    }
    return true;
}

std::string Trash::collisionName(const std::string &name, const std::string &tag)
{
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) {
        return name + "_" + tag;
    }
    return name.substr(0, dot) + "_" + tag + name.substr(dot);
}

std::string Trash::encodePath(const std::string &path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-_.~", c)) {
            out.push_back(char(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::optional<Trash::Reservation> Trash::reserve(
    const std::string &originalPath, bool fresh, std::string &error) const
{
    if (!ensureFolders(error)) {
        return std::nullopt;
    }
    const std::string name = originalPath.substr(originalPath.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") {
        error = "“" + originalPath + "” can’t be put in the Trash";
        return std::nullopt;
    }
    char date[32];
    const std::time_t now = m_clock();
    struct tm local;
    localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string info
        = "[Trash Info]\nPath=" + encodePath(originalPath) + "\nDeletionDate=" + date + "\n";

    for (int attempt = 0; attempt < s_nameAttempts; ++attempt) {
        const std::string candidate = (fresh || attempt > 0) ? collisionName(name, randomTag()) : name;
        struct stat st;
        if (lstat((filesDirectory() + "/" + candidate).c_str(), &st) == 0) {
            continue;
        }
        const std::string infoPath = infoDirectory() + "/" + candidate + ".trashinfo";
        const int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            error = std::string("The Trash couldn’t be written: ") + std::strerror(errno);
            return std::nullopt;
        }
        const bool written = writeAll(fd, info);
        close(fd);
        if (!written) {
            unlink(infoPath.c_str());
            error = std::string("The Trash couldn’t be written: ") + std::strerror(errno);
            return std::nullopt;
        }
        return Reservation { candidate, infoPath };
    }
    error = "No free name was found in the Trash for “" + name + "”";
    return std::nullopt;
}

void Trash::release(const Reservation &reservation) const
{
    unlink(reservation.infoPath.c_str());
}

} // namespace brimlark
