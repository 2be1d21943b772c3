#include "platform/core/Bundle.h"

#include "platform/base/PlistDepth.h"
#include "platform/base/PlistPtr.h"
#include "platform/base/RegularFile.h"
#include "platform/core/PathComponent.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <plist/plist.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <limits>
#include <memory>

namespace brimlark {

namespace {
constexpr quint64 stampBasis = 0xcbf29ce484222325ull;

// Folds one file's identity and times into a stamp: a copy that finishes
// later, or a file replaced by one with an older date, still changes it.
// A file that is not there folds in as all zeros.
void addParts(quint64 &stamp, bool present, quint64 inode, quint64 size, quint64 modifiedSec,
    quint64 modifiedNsec, quint64 changedSec, quint64 changedNsec)
{
    const quint64 parts[]
        = { present ? 1u : 0u, inode, size, modifiedSec, modifiedNsec, changedSec, changedNsec };
    for (const quint64 part : parts) {
        // FNV-1a over the parts' bytes.
        for (int shift = 0; shift < 64; shift += 8) {
            stamp = (stamp ^ ((part >> shift) & 0xffu)) * 0x100000001b3ull;
        }
    }
}

void addFileState(quint64 &stamp, const struct stat *st)
{
    if (!st) {
        addParts(stamp, false, 0, 0, 0, 0, 0, 0);
        return;
    }
    addParts(stamp, true, quint64(st->st_ino), quint64(st->st_size), quint64(st->st_mtim.tv_sec),
        quint64(st->st_mtim.tv_nsec), quint64(st->st_ctim.tv_sec), quint64(st->st_ctim.tv_nsec));
}

void addFileState(quint64 &stamp, const struct statx *st)
{
    if (!st) {
        addParts(stamp, false, 0, 0, 0, 0, 0, 0);
        return;
    }
    addParts(stamp, true, quint64(st->stx_ino), quint64(st->stx_size), quint64(st->stx_mtime.tv_sec),
        quint64(st->stx_mtime.tv_nsec), quint64(st->stx_ctime.tv_sec), quint64(st->stx_ctime.tv_nsec));
}

void addFileState(quint64 &stamp, const QByteArray &path)
{
    struct stat st = {};
    addFileState(stamp, ::stat(path.constData(), &st) == 0 ? &st : nullptr);
}
} // namespace

std::optional<Bundle> Bundle::open(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir()) {
        return std::nullopt;
    }
    return openListed(path);
}

Bundle Bundle::openListed(const QString &path)
{
    Bundle bundle(path);
    bundle.readInfo();
    return bundle;
}

void Bundle::readInfo()
{
    // Anyone can put anything at this path: a pipe must not stall the scan,
    // and a deeply nested list must not reach the parser.
    struct stat status = {};
    const auto file
        = RegularFile::read(QFile::encodeName(infoPlistPath()).constData(), MaxInfoPlistBytes, &status);
    if (file.status != RegularFile::Status::Missing && file.status != RegularFile::Status::Failed) {
        m_infoStatus = status;
    }
    const std::string &bytes = file.bytes;
    if (file.status != RegularFile::Status::Read || bytes.empty()
        || !PlistDepth::withinLimit(bytes.data(), bytes.size())) {
        return;
    }
    plist_t raw = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
    PlistPtr root(raw);
    if (root && plist_get_node_type(root.get()) == PLIST_DICT) {
        m_info = std::shared_ptr<void>(root.release(), PlistFree());
    }
}

QString Bundle::infoPlistPath() const
{
    return m_path + QStringLiteral("/Contents/Info.plist");
}

QString Bundle::resourcesPath() const
{
    return m_path + QStringLiteral("/Contents/Resources");
}

std::optional<QString> Bundle::stringForInfoKey(const QString &key) const
{
    if (!m_info) {
        return std::nullopt;
    }
    plist_t item = plist_dict_get_item(m_info.get(), key.toUtf8().constData());
    if (!item || plist_get_node_type(item) != PLIST_STRING) {
        return std::nullopt;
    }
    // With its length: the copying accessor aborts on a string holding a NUL.
    std::uint64_t length = 0;
    const char *value = plist_get_string_ptr(item, &length);
    if (!value || length > std::uint64_t(std::numeric_limits<qsizetype>::max())
        || std::memchr(value, 0, length)) {
        return std::nullopt;
    }
    return QString::fromUtf8(value, qsizetype(length));
}

std::optional<QString> Bundle::executablePath() const
{
    const auto name = stringForInfoKey(QStringLiteral("CFBundleExecutable"));
    // The name comes from a file anyone can write: keep it inside Contents/MacOS.
    if (!name || !plainComponent(*name)) {
        return std::nullopt;
    }
    return m_path + QStringLiteral("/Contents/MacOS/") + *name;
}

std::optional<QString> Bundle::iconFilePath() const
{
    return iconFile(nullptr);
}

std::optional<QString> Bundle::iconFile(struct stat *status) const
{
    const auto name = stringForInfoKey(QStringLiteral("CFBundleIconFile"));
    if (!name || !plainComponent(*name)) {
        return std::nullopt;
    }
    QStringList candidates;
    if (QFileInfo(*name).suffix().isEmpty()) {
        candidates << *name + QStringLiteral(".icns") << *name + QStringLiteral(".png");
    } else {
        candidates << *name;
    }
    for (const QString &candidate : candidates) {
        const QString file = resourcesPath() + u'/' + candidate;
        struct stat st = {};
        if (::stat(QFile::encodeName(file).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            if (status) {
                *status = st;
            }
            return file;
        }
    }
    return std::nullopt;
}

quint64 Bundle::iconStamp() const
{
    return survey().iconStamp;
}

Bundle::Survey Bundle::survey() const
{
    Survey out;
    quint64 stamp = stampBasis;
    const QByteArray path = QFile::encodeName(m_path);
    if (::statx(
            AT_FDCWD, path.constData(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &out.status)
        != 0) {
        out.status = {};
    }
    addFileState(stamp, out.status.stx_mask ? &out.status : nullptr);
    addFileState(stamp, path + "/Contents");
    if (m_infoStatus) {
        addFileState(stamp, &*m_infoStatus);
    } else {
        addFileState(stamp, path + "/Contents/Info.plist");
    }
    addFileState(stamp, path + "/Contents/Resources");
    struct stat icon = {};
    out.iconFile = iconFile(&icon);
    if (out.iconFile) {
        addFileState(stamp, &icon);
    }
    out.iconStamp = stamp ? stamp : 1;
    return out;
}

quint64 Bundle::iconStampOf(const QString &path)
{
    if (const auto bundle = open(path); bundle && path.endsWith(QStringLiteral(".app"))) {
        return bundle->iconStamp();
    }
    quint64 stamp = stampBasis;
    addFileState(stamp, QFile::encodeName(path));
    return stamp ? stamp : 1;
}

} // namespace brimlark
