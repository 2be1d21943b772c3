#include "model/FoldedNames.h"

#include <algorithm>
#include <atomic>

namespace brimlark {

namespace {

// No query that handles() accepts holds it, so no match runs from one name
// into the next.
constexpr char Separator = '\0';

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
        const QString folded = app.name().toCaseFolded();
        // UTF-8 cannot hold a lone surrogate: such a name is searched as text.
        m_exact = m_exact && folded.isValidUtf16();
        m_text += folded.toUtf8();
        m_text += Separator;
        m_starts.push_back(quint32(m_text.size()));
    }
    m_text.squeeze();
}

bool FoldedNames::handles(QStringView folded) const
{
    return m_exact && !folded.isEmpty() && std::none_of(folded.begin(), folded.end(), [](QChar c) {
        return c.unicode() == Separator || c.isSurrogate();
    });
}

QByteArrayView FoldedNames::name(quint32 index) const
{
    const quint32 start = m_starts[index];
    return QByteArrayView(m_text).sliced(start, m_starts[index + 1] - start - 1);
}

std::vector<quint32> FoldedNames::matching(QStringView folded) const
{
    std::vector<quint32> out;
    const QByteArray needle = folded.toUtf8();
    const QByteArrayView text(m_text);
    qsizetype from = 0;
    auto after = m_starts.begin();
    for (;;) {
        const qsizetype at = text.indexOf(needle, from);
        if (at < 0) {
            break;
        }
        // The name holding the hit (hits come in order, so the walk is one
        // pass over the starts); the search goes on after it.
        while (*after <= quint32(at)) {
            ++after;
        }
        out.push_back(quint32(after - m_starts.begin()) - 1);
        from = qsizetype(*after);
    }
    return out;
}

std::vector<quint32> FoldedNames::matching(QStringView folded, const std::vector<quint32> &candidates) const
{
    std::vector<quint32> out;
    const QByteArray needle = folded.toUtf8();
    for (const quint32 index : candidates) {
        if (name(index).contains(needle)) {
            out.push_back(index);
        }
    }
    return out;
}

} // namespace brimlark
