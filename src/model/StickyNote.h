#pragma once

#include <nlohmann/json.hpp>

#include <QMetaType>
#include <QString>
#include <QUuid>

#include <optional>

namespace brimlark {

class StickyNote
{
    Q_GADGET
    Q_PROPERTY(QString idText READ idText)
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(QString colorHex MEMBER colorHex)

public:
    QUuid id;
    QString text;
    QString colorHex;

    QString idText() const;
    bool operator==(const StickyNote &) const = default;
    nlohmann::ordered_json toJson() const;
    static std::optional<StickyNote> fromJson(const nlohmann::ordered_json &json);
};

class CodeSnippet
{
    Q_GADGET
    Q_PROPERTY(QString idText READ idText)
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString code MEMBER code)
    Q_PROPERTY(QString language MEMBER language)

public:
    QUuid id;
    QString title;
    QString code;
    QString language;

    QString idText() const;
    bool operator==(const CodeSnippet &) const = default;
    nlohmann::ordered_json toJson() const;
    static std::optional<CodeSnippet> fromJson(const nlohmann::ordered_json &json);
};

} // namespace brimlark

Q_DECLARE_METATYPE(brimlark::StickyNote)
Q_DECLARE_METATYPE(brimlark::CodeSnippet)
