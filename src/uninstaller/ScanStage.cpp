#include "uninstaller/ScanStage.h"

#include <array>

namespace brimlark {

namespace {
// "…" is U+2026, one character.
constexpr std::array<const char *, 14> s_lines = {
    "Ready",
    "Locating app bundle…",
    "Scanning preferences…",
    "Scanning application support…",
    "Scanning caches…",
    "Scanning logs…",
    "Scanning containers…",
    "Scanning group containers…",
    "Scanning launch agents…",
    "Scanning crash reports…",
    "Scanning saved state…",
    "Scanning extensions…",
    "Scanning receipts…",
    "Scan complete",
};
} // namespace

QString ScanStages::statusLine(ScanStage stage)
{
    return QString::fromUtf8(s_lines[size_t(stage)]);
}

std::optional<ScanStage> ScanStages::fromStatusLine(const QString &text)
{
    for (size_t i = 0; i < s_lines.size(); ++i) {
        if (text == QString::fromUtf8(s_lines[i])) {
            return ScanStage(i);
        }
    }
    return std::nullopt;
}

} // namespace brimlark
