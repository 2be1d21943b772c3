#pragma once

#include "platform/gui/ScreenSampler.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QWindow;

namespace brimlark {

// X11: every screen is grabbed first, then each gets a frozen full-screen
// picture of itself with a cross cursor. A left click returns the pixel
// under the cursor from that picture; Escape or a right click cancels.
class X11ScreenSampler : public QObject, public ScreenSampler
{
    Q_OBJECT
public:
    explicit X11ScreenSampler(QObject *parent = nullptr);
    ~X11ScreenSampler() override;

    void showSampler(Handler handler) override;
    bool isShowing() const { return !m_overlays.empty(); }
    // The overlays while showing, one per screen (tests click into them).
    std::vector<QWindow *> overlays() const;

private:
    void finish(std::optional<QColor> color);

    Handler m_handler;
    std::vector<QPointer<QWindow>> m_overlays;
};

} // namespace brimlark
