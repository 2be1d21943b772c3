#pragma once

#include <QCoreApplication>
#include <QQuickWindow>

namespace brimlark::test {

// Frees the image textures the software scene graph still has queued once
// every view window is gone. When an image's texture factory goes (its
// item went, or the image cache was emptied), the render context only
// queues its texture, to be freed at the end of its next synchronisation,
// and nothing frees that queue when the last window is destroyed: the
// textures, their pixmaps and images leak at exit. The render context is
// shared by all windows of the software render loop, so one synchronous
// frame of a new, empty window (a grab renders on this thread) frees the
// queue after the image cache has given up its factories. Call it after
// the views' windows are destroyed.
inline void freeQueuedTextures()
{
    QQuickWindow window;
    window.releaseResources(); // empties the image cache
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    (void)window.grabWindow();
}

} // namespace brimlark::test
