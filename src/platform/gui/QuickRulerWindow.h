#pragma once

#include "platform/core/RulerWindow.h"

#include <QColor>
#include <QPointer>
#include <QQuickView>

class QVariantAnimation;

namespace brimlark {

// The ruler as a frameless, stay-on-top Qt Quick window at opacity 0.98 over
// a clear background. Without a compositing manager a clear window would show
// black, so it is filled with an opaque tint instead (`translucent` false).
// The view it shows calls endLiveResize() and requestClose().
class QuickRulerWindow : public QQuickView, public RulerWindow
{
    Q_OBJECT
    Q_PROPERTY(bool translucent READ isTranslucent CONSTANT)
public:
    explicit QuickRulerWindow(bool composited);
    ~QuickRulerWindow() override;

    bool isTranslucent() const { return m_translucent; }
    static QColor opaqueTint();

    QRectF frame() const override;
    void setFrame(const QRectF &frame, bool animate) override;
    QSizeF contentSize() const override;
    QRectF desktopFrame() const override;
    void makeKeyAndOrderFront() override;
    void closeWindow() override;

    // The view's own resize by the mouse; edges that grow stop at the desktop's.
    Q_INVOKABLE void moveResize(const QRectF &frame);
    Q_INVOKABLE void endLiveResize();
    Q_INVOKABLE void requestClose();

protected:
    bool event(QEvent *event) override;

private:
    bool m_translucent;
    // Set while the owner closes the window, so only a close from outside
    // is reported as one.
    bool m_closing = false;
    QPointer<QVariantAnimation> m_animation;
};

} // namespace brimlark
