#include "platform/core/Bundle.h"

#include "platform/base/PlistDepth.h"
#include "platform/base/PlistPtr.h"
#include "platform/base/RegularFile.h"
#include "platform/core/PathComponent.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <plist/plist.h>

#include <sys/stat.h>

#include <cstring>
#include <limits>
#include <memory>

namespace brimlark {

namespace {
// Folds one file's identity and times into a stamp: a copy that finishes
// later, or a file replaced by one with an older date, still changes it.
void addFileState(quint64 &stamp, const QString &path)
{
    struct stat st
    {
    };
    const bool present = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    const quint64 parts[]
        = { present ? 1u : 0u, quint64(st.st_ino), quint64(st.st_size), quint64(st.st_mtim.tv_sec),
              quint64(st.st_mtim.tv_nsec), quint64(st.st_ctim.tv_sec), quint64(st.st_ctim.tv_nsec) };
    for (const quint64 part : parts) {
        // FNV-1a over the parts' bytes.
        for (int shift = 0; shift < 64; shift += 8) {
            stamp = (stamp ^ ((part >> shift) & 0xffu)) * 0x100000001b3ull;
        }
    }
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
    const auto file = RegularFile::read(QFile::encodeName(infoPlistPath()).constData(), MaxInfoPlistBytes);
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
        if (QFileInfo(file).isFile()) {
            return file;
        }
    }
    return std::nullopt;
}

quint64 Bundle::iconStamp() const
{
    quint64 stamp = 0xcbf29ce484222325ull;
    addFileState(stamp, m_path);
    addFileState(stamp, m_path + QStringLiteral("/Contents"));
    addFileState(stamp, infoPlistPath());
    addFileState(stamp, resourcesPath());
    if (const auto icon = iconFilePath()) {
        addFileState(stamp, *icon);
    }
    return stamp ? stamp : 1;
}

quint64 Bundle::iconStampOf(const QString &path)
{
    if (const auto bundle = open(path); bundle && path.endsWith(QStringLiteral(".app"))) {
        return bundle->iconStamp();
    }
    quint64 stamp = 0xcbf29ce484222325ull;
    addFileState(stamp, path);
    return stamp ? stamp : 1;
}

} // namespace brimlark
