#pragma once

#include "model/AppItem.h"

#include <QList>
#include <QStringView>

#include <vector>

namespace brimlark {

// The applications of a list found by URL text: an open table of positions
// in the list, a few bytes an application where a hash keyed by the texts
// held a node for each. The list is shared, not copied.
class UrlTextIndex
{
public:
    UrlTextIndex() = default;
    explicit UrlTextIndex(const QList<AppItem> &apps);

    // The first position of the application with that URL text, or -1.
    qsizetype indexOf(QStringView urlText) const;
    bool contains(QStringView urlText) const { return indexOf(urlText) >= 0; }

private:
    QList<AppItem> m_apps;
    // A position plus one in each used slot; a power of two of them.
    std::vector<quint32> m_slots;
};

} // namespace brimlark
