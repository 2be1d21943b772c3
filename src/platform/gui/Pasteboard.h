#pragma once

#include <QString>

namespace brimlark {

// The general pasteboard: plain text only, which is all the desk tools copy.
class Pasteboard
{
public:
    virtual ~Pasteboard();

    virtual void clearContents() = 0;
    virtual void setString(const QString &text) = 0;
    virtual QString string() const = 0;

    // The system clipboard of this session.
    static Pasteboard &general();
};

} // namespace brimlark
