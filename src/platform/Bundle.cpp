#include "platform/Bundle.h"

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
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}
} // namespace

std::optional<Bundle> Bundle::open(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir()) {
        return std::nullopt;
    }
    Bundle bundle(path);
    QFile file(bundle.infoPlistPath());
    if (file.open(QIODevice::ReadOnly) && file.size() <= MaxInfoPlistBytes) {
        if (auto strings = parseInfo(file.read(MaxInfoPlistBytes + 1))) {
            bundle.m_hasInfo = true;
            bundle.m_strings = std::move(*strings);
        }
    }
    return bundle;
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
    const auto it = m_strings.constFind(key);
    if (it == m_strings.constEnd()) {
        return std::nullopt;
    }
    return *it;
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

std::optional<QHash<QString, QString>> Bundle::parseInfo(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > MaxInfoPlistBytes) {
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_memory(bytes.constData(), static_cast<uint32_t>(bytes.size()), &raw);
    PlistPtr root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        return std::nullopt;
    }
    QHash<QString, QString> out;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root.get(), &it);
    while (it) {
        char *key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(root.get(), it, &key, &item);
        if (!item) {
            std::free(key);
            break;
        }
        if (key && plist_get_node_type(item) == PLIST_STRING) {
            char *value = nullptr;
            plist_get_string_val(item, &value);
            out.insert(QString::fromUtf8(key), QString::fromUtf8(value ? value : ""));
            std::free(value);
        }
        std::free(key);
    }
    std::free(it);
    return out;
}

} // namespace brimlark
