#include "tools/ColorPickerController.h"

#include "model/WorkspaceStorage.h"
#include "platform/core/Scheduler.h"
#include "platform/gui/Pasteboard.h"
#include "platform/gui/ScreenSampler.h"

#include <QPointer>

#include <chrono>

namespace brimlark {

namespace {
int componentByte(double component)
{
    const double scaled = component * 255;
    if (!(scaled > 0)) {
        return 0; // negative or NaN
    }
    if (scaled >= 255) {
        return 255;
    }
    return int(scaled); // truncation toward zero, no rounding
}

const QString s_copied = QStringLiteral("HEX Copied!");
constexpr std::chrono::milliseconds s_messageTime { 1500 };
} // namespace

ColorPickerController::ColorPickerController(WorkspaceStorage &storage, ScreenSampler &sampler,
    Pasteboard &pasteboard, Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , m_storage(storage)
    , m_sampler(sampler)
    , m_pasteboard(pasteboard)
    , m_scheduler(scheduler)
{
    connect(&m_storage, &WorkspaceStorage::recentColorsChanged, this,
        &ColorPickerController::recentColorsChanged);
}

QString ColorPickerController::hexText(double red, double green, double blue)
{
    return QStringLiteral("#%1%2%3")
        .arg(componentByte(red), 2, 16, QLatin1Char('0'))
        .arg(componentByte(green), 2, 16, QLatin1Char('0'))
        .arg(componentByte(blue), 2, 16, QLatin1Char('0'))
        .toUpper();
}

QStringList ColorPickerController::recentColors() const
{
    return m_storage.recentColors();
}

QString ColorPickerController::unavailableReason() const
{
    return m_sampler.unavailableReason();
}

void ColorPickerController::pickColor()
{
    // The storage and the clipboard outlive the popover; its texts may not.
    QPointer<ColorPickerController> self(this);
    WorkspaceStorage *storage = &m_storage;
    Pasteboard *pasteboard = &m_pasteboard;
    m_sampler.showSampler([self, storage, pasteboard](std::optional<QColor> picked) {
        if (!picked || !picked->isValid()) {
            return;
        }
        const QColor srgb = picked->toRgb();
        const QString text = hexText(srgb.redF(), srgb.greenF(), srgb.blueF());
        pasteboard->clearContents();
        pasteboard->setString(text);
        if (self) {
            self->showCopied(text);
        }
        QStringList recent = storage->recentColors();
        if (!recent.contains(text)) {
            recent.prepend(text);
            if (recent.size() > maximumRecent) {
                recent.removeLast();
            }
            storage->setRecentColors(recent);
        }
    });
}

void ColorPickerController::copyRecentColor(const QString &text)
{
    m_pasteboard.clearContents();
    m_pasteboard.setString(text);
    showCopied(text);
}

void ColorPickerController::clearRecentColors()
{
    m_storage.setRecentColors({});
}

void ColorPickerController::showCopied(const QString &text)
{
    if (m_hexColor != text) {
        m_hexColor = text;
        emit hexColorChanged();
    }
    setCopyMessage(s_copied);
    // Every copy clears the message 1.5 s later, whichever copy showed it last.
    QPointer<ColorPickerController> self(this);
    m_scheduler.schedule(s_messageTime, [self] {
        if (self) {
            self->setCopyMessage({});
        }
    });
}

void ColorPickerController::setCopyMessage(const QString &message)
{
    if (m_copyMessage != message) {
        m_copyMessage = message;
        emit copyMessageChanged();
    }
}

} // namespace brimlark
