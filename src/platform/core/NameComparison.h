#pragma once

#include <QCollator>
#include <QString>

namespace brimlark {

// Localised, case-insensitive name order under the user's locale. Under the
// C/POSIX locale (where collation would compare code points) an English
// collation stands in, so names still sort the way a person expects.
class NameComparison
{
public:
    explicit NameComparison(const QLocale &locale);

    int compare(const QString &a, const QString &b) const;
    bool lessThan(const QString &a, const QString &b) const { return compare(a, b) < 0; }
    // A key whose comparison agrees with compare(): build it once per text when
    // the same texts are ordered again and again.
    QCollatorSortKey sortKey(const QString &text) const;

private:
    QCollator m_collator;
};

} // namespace brimlark
