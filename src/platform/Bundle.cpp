#include "platform/Bundle.h"

#include "platform/PlistDepth.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace brimlark {

namespace {
struct PlistFree
{
    void operator()(plist_t p) const
    {
        if (p) {
            plist_free(p);
        }
    }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

bool plainComponent(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/')
        && !name.contains(QChar(0));
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
    char *value = nullptr;
    plist_get_string_val(item, &value);
    QString out = QString::fromUtf8(value ? value : "");
    std::free(value);
    return out;
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

} // namespace brimlark
