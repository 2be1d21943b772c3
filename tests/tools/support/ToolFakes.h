#pragma once

#include "platform/core/RulerWindow.h"
#include "platform/gui/Pasteboard.h"
#include "platform/gui/ScreenSampler.h"

#include <QStringList>

#include <vector>

namespace brimlark::testing {

// Remembers what was written and whether it was cleared first.
class FakePasteboard : public Pasteboard
{
public:
    void clearContents() override
    {
        m_text.clear();
        ++clears;
    }
    void setString(const QString &text) override
    {
        m_text = text;
        writes << text;
    }
    QString string() const override { return m_text; }

    int clears = 0;
    QStringList writes;

private:
    QString m_text;
};

// A window that takes whatever frame it is given; shared state outlives it
// so tests can look after the manager dropped it.
struct FakeRulerWindowLog
{
    std::vector<QRectF> created;
    std::vector<QRectF> frames;
    int shown = 0;
    int closed = 0;
};

class FakeRulerWindow : public RulerWindow
{
public:
    FakeRulerWindow(FakeRulerWindowLog &log, const QRectF &frame)
        : m_log(log)
        , m_frame(frame)
    {
        m_log.created.push_back(frame);
    }
    QRectF frame() const override { return m_frame; }
    void setFrame(const QRectF &frame, bool) override
    {
        m_frame = frame;
        m_log.frames.push_back(frame);
    }
    QSizeF contentSize() const override
    {
        return contentOverride.isValid() ? contentOverride : m_frame.size();
    }
    QRectF desktopFrame() const override { return desktop; }
    void makeKeyAndOrderFront() override { ++m_log.shown; }
    void closeWindow() override { ++m_log.closed; }

    QSizeF contentOverride;
    QRectF desktop { 0, 0, 3840, 2160 };

private:
    FakeRulerWindowLog &m_log;
    QRectF m_frame;
};

// Holds the handler until the test answers for the user.
class FakeScreenSampler : public ScreenSampler
{
public:
    void showSampler(Handler handler) override { m_handler = std::move(handler); }
    void answer(std::optional<QColor> color)
    {
        Handler handler = std::move(m_handler);
        m_handler = nullptr;
        handler(color);
    }
    bool isShowing() const { return bool(m_handler); }

private:
    Handler m_handler;
};

} // namespace brimlark::testing
