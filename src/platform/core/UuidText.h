#pragma once

#include <QString>
#include <QStringView>
#include <QUuid>

#include <optional>

namespace brimlark {

// Strict UUID text: exactly 8-4-4-4-12 hexadecimal digits, either case, and
// nothing else (no braces, no surrounding text).
class UuidText
{
public:
    static std::optional<QUuid> parse(QStringView text);
    // Canonical form: 36 characters, upper-case hexadecimal.
    static QString format(const QUuid &uuid);
    static QUuid random() { return QUuid::createUuid(); }
};

} // namespace brimlark
