#include "model/UrlTextIndex.h"

#include <QHashFunctions>

#include <bit>

namespace brimlark {

UrlTextIndex::UrlTextIndex(const QList<AppItem> &apps)
    : m_apps(apps)
{
    if (apps.isEmpty()) {
        return;
    }
    // At most three quarters full, so a probe ends soon.
    m_slots.assign(std::bit_ceil(size_t(apps.size()) * 4 / 3 + 1), 0);
    const size_t mask = m_slots.size() - 1;
    for (qsizetype i = 0; i < apps.size(); ++i) {
        const QString &text = apps[i].urlText();
        for (size_t slot = qHash(QStringView(text)) & mask;; slot = (slot + 1) & mask) {
            if (m_slots[slot] == 0) {
                m_slots[slot] = quint32(i) + 1;
                break;
            }
            if (apps[m_slots[slot] - 1].urlText() == text) {
                break; // the first keeps the text
            }
        }
    }
}

qsizetype UrlTextIndex::indexOf(QStringView urlText) const
{
    if (m_slots.empty()) {
        return -1;
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = qHash(urlText) & mask; m_slots[slot] != 0; slot = (slot + 1) & mask) {
        const qsizetype index = qsizetype(m_slots[slot]) - 1;
        if (m_apps[index].urlText() == urlText) {
            return index;
        }
    }
    return -1;
}

} // namespace brimlark
