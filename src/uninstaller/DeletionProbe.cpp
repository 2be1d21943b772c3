#include "uninstaller/DeletionProbe.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlark {

bool isDeletableFile(const QByteArray &native)
{
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0) {
        return false;
    }
    const QByteArray parent = slash == 0 ? QByteArray("/") : native.left(slash);
    struct stat item;
    struct stat folder;
    if (lstat(native.constData(), &item) != 0 || stat(parent.constData(), &folder) != 0) {
        return false;
    }
    if (faccessat(AT_FDCWD, parent.constData(), W_OK | X_OK, AT_EACCESS) != 0) {
        return false;
    }
    if (folder.st_mode & S_ISVTX) {
        const uid_t me = geteuid();
        return me == 0 || item.st_uid == me || folder.st_uid == me;
    }
    return true;
}

} // namespace brimlark
