#pragma once

#include "model/AppItem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

namespace brimlark {

// A catalog's names folded for case-insensitive search, made once when the
// catalog publishes: every folded name in one UTF-8 buffer, each closed by a
// separator, so a keystroke scans one string instead of folding each name
// again. Folding is one code point for one, as in QString's case-insensitive
// contains(), and a UTF-8 text holds another's bytes only where it holds its
// code points, so matching the folded texts gives the same answers. UTF-8
// keeps the usual (ASCII) name at a byte a letter.
class FoldedNames
{
public:
    FoldedNames() = default;
    explicit FoldedNames(const QList<AppItem> &apps);

    qsizetype size() const { return qsizetype(m_starts.size()) - 1; }
    // Tells one build from another, so a filter can tell whether what it
    // remembers of the last search still holds.
    quint64 stamp() const { return m_stamp; }

    // Whether a folded query can be matched here: an empty one, or one with
    // the separator or a surrogate (whose fold depends on its neighbour),
    // cannot; nor can any where a name holds a lone surrogate.
    bool handles(QStringView folded) const;
    // The ascending indexes of the names holding `folded`, a query folded
    // with QString::toCaseFolded() that handles() accepts.
    std::vector<quint32> matching(QStringView folded) const;
    // The same among `candidates` (ascending indexes) only.
    std::vector<quint32> matching(QStringView folded, const std::vector<quint32> &candidates) const;

private:
    QByteArrayView name(quint32 index) const;

    QByteArray m_text;
    // Where each name starts in m_text, and where one past the last would.
    std::vector<quint32> m_starts { 0 };
    quint64 m_stamp = 0;
    bool m_exact = true;
};

} // namespace brimlark
