#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QString>

#include <functional>

namespace brimlark::test {

// An object made for a QML test, which the test owns: it goes when the test
// lets go of it.
template <typename T> T *ownedByTest(T *object)
{
    QQmlEngine::setObjectOwnership(object, QQmlEngine::JavaScriptOwnership);
    return object;
}

// `<Layer>Test.fixture()` in a layer's QML tests: a new fixture for each
// test. A layer whose tests need more derives from it.
class FixtureFactory : public QObject
{
    Q_OBJECT
public:
    FixtureFactory(std::function<QObject *()> make, QObject *parent)
        : QObject(parent)
        , m_make(std::move(make))
    {
    }
    template <typename Fixture> static FixtureFactory *of(QQmlEngine *engine)
    {
        return new FixtureFactory([] { return new Fixture; }, engine);
    }
    Q_INVOKABLE QObject *fixture() { return ownedByTest(m_make()); }

private:
    std::function<QObject *()> m_make;
};

// What every layer's Qt Quick Test run does around its tests: the engine
// prepared as the window prepares its own (the view modules, the app icon
// provider), the program's Controls style on the software scene graph (the
// offscreen platform has no OpenGL), the layer's support object in QML
// under its name, and the textures the views left queued freed once their
// windows are gone. Qt Quick Test calls these slots by name; a layer's
// setup only names its support:
//     struct Setup : QmlTestSetup {
//         Setup() : QmlTestSetup(u"GridTest"_qs, &FixtureFactory::of<GridFixture>) {}
//     };
class QmlTestSetup : public QObject
{
    Q_OBJECT
public:
    using MakeSupport = std::function<QObject *(QQmlEngine *)>;
    explicit QmlTestSetup(QString supportName = {}, MakeSupport makeSupport = {});

public slots:
    void applicationAvailable();
    void qmlEngineAvailable(QQmlEngine *engine);
    void cleanupTestCase();

private:
    QString m_supportName;
    MakeSupport m_makeSupport;
};

} // namespace brimlark::test
