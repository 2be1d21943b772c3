#pragma once

#include <QObject>

namespace brimlark::test {

// What every layer's Qt Quick Test run does around its tests: the program's
// Controls style on the software scene graph (the offscreen platform has no
// OpenGL), and the textures the views left queued freed once their windows
// are gone. A layer's setup object derives from it and adds its own
// qmlEngineAvailable(QQmlEngine *) slot: Qt Quick Test calls these slots by
// name.
class QmlTestSetup : public QObject
{
    Q_OBJECT
public slots:
    void applicationAvailable();
    void cleanupTestCase();
};

} // namespace brimlark::test
