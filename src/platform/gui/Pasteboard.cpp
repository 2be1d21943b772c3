#include "platform/gui/Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace brimlark {

namespace {
class ClipboardPasteboard final : public Pasteboard
{
public:
    void clearContents() override { QGuiApplication::clipboard()->clear(); }
    void setString(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    QString string() const override { return QGuiApplication::clipboard()->text(); }
};
} // namespace

Pasteboard::~Pasteboard() = default;

Pasteboard &Pasteboard::general()
{
    static ClipboardPasteboard instance;
    return instance;
}

} // namespace brimlark
