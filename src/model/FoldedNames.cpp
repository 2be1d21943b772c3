#include "model/FoldedNames.h"

#include <algorithm>
#include <atomic>

namespace brimlark {

namespace {

// No query that handles() accepts holds it, so no match runs from one name
// into the next.
constexpr char16_t Separator = u'\0';

quint64 nextStamp()
{
    static std::atomic<quint64> last { 0 };
    return ++last;
}

} // namespace

FoldedNames::FoldedNames(const QList<AppItem> &apps)
    : m_stamp(nextStamp())
{
    qsizetype length = 0;
    for (const auto &app : apps) {
        length += app.name().size() + 1;
    }
    m_text.reserve(length);
    m_starts.reserve(size_t(apps.size()) + 1);
    for (const auto &app : apps) {
        m_text += app.name().toCaseFolded();
        m_text += QChar(Separator);
        m_starts.push_back(quint32(m_text.size()));
    }
}

bool FoldedNames::handles(QStringView folded)
{
    return !folded.isEmpty() && std::none_of(folded.begin(), folded.end(), [](QChar c) {
        return c.unicode() == Separator || c.isSurrogate();
    });
}

QStringView FoldedNames::name(qsizetype index) const
{
    const quint32 start = m_starts[size_t(index)];
    return QStringView(m_text).sliced(start, m_starts[size_t(index) + 1] - start - 1);
}

std::vector<qsizetype> FoldedNames::matching(QStringView folded) const
{
    std::vector<qsizetype> out;
    const QStringView text(m_text);
    qsizetype from = 0;
    auto after = m_starts.begin();
    for (;;) {
        const qsizetype at = text.indexOf(folded, from);
        if (at < 0) {
            break;
        }
        // The name holding the hit; the search goes on after it.
        after = std::upper_bound(after, m_starts.end(), quint32(at));
        out.push_back(qsizetype(after - m_starts.begin()) - 1);
        from = qsizetype(*after);
    }
    return out;
}

std::vector<qsizetype> FoldedNames::matching(
    QStringView folded, const std::vector<qsizetype> &candidates) const
{
    std::vector<qsizetype> out;
    for (const qsizetype index : candidates) {
        if (name(index).contains(folded)) {
            out.push_back(index);
        }
    }
    return out;
}

} // namespace brimlark
