#include "platform/core/NameComparison.h"

#include <QLocale>

namespace brimlark {

namespace {
QLocale effectiveLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::C) {
        return QLocale(QLocale::English, QLocale::UnitedStates);
    }
    return locale;
}
} // namespace

NameComparison::NameComparison(const QLocale &locale)
    : m_collator(effectiveLocale(locale))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

int NameComparison::compare(const QString &a, const QString &b) const
{
    return m_collator.compare(a, b);
}

QCollatorSortKey NameComparison::sortKey(const QString &text) const
{
    return m_collator.sortKey(text);
}

} // namespace brimlark
