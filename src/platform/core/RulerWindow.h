#pragma once

#include <QRectF>
#include <QSizeF>

#include <functional>

namespace brimlark {

// The screen ruler's window as its owner sees it. Frames are in screen
// points, origin top left, y downwards.
class RulerWindow
{
public:
    virtual ~RulerWindow();

    virtual QRectF frame() const = 0;
    // Moves and resizes; an animated change ends at the given frame.
    virtual void setFrame(const QRectF &frame, bool animate) = 0;
    // The size of what the window shows (its whole area: it has no frame).
    virtual QSizeF contentSize() const = 0;
    // The virtual desktop the window is on (every screen together); empty
    // when it is not known.
    virtual QRectF desktopFrame() const = 0;
    // Shows the window in front of the others and gives it the keyboard.
    virtual void makeKeyAndOrderFront() = 0;
    virtual void closeWindow() = 0;

    // Called after the user has finished resizing the window with the mouse.
    std::function<void()> onLiveResizeEnded;
    // Called when the window's own close button is clicked, and when the
    // window system closes the window (a window manager's close key or
    // taskbar), which leaves it gone from the screen all the same.
    std::function<void()> onCloseRequested;
};

} // namespace brimlark
