import QtQuick
import QtTest
import Brimlark.Views
import Brimlark.Grid

// Run at two device pixels a point: the engine already asks pictures in
// device pixels, so a shadow's picture is as large as the item, no larger.
TestCase {
    id: test
    name: "DenseScreen"
    when: windowShown
    visible: true
    width: 400
    height: 400

    Component {
        id: tileComponent
        AppItemView {}
    }

    Component {
        id: swatchComponent
        Rectangle {
            width: 22
            height: 22
            radius: 11
            RoundShadow {
                objectName: "swatchShadow"
                blur: 4
            }
        }
    }

    function test_shadowPicturesAreMadeAtTheScreensRatioOnce() {
        compare(Screen.devicePixelRatio, 2)
        const fixture = GridTest.fixture()
        fixture.publish(["Alpha"])
        const tile = createTemporaryObject(tileComponent, test, {
            "app": fixture.appNamed("Alpha"),
            "viewModel": fixture.viewModel
        })
        const swatch = createTemporaryObject(swatchComponent, test)
        for (const shadow of [findChild(tile, "tileShadow"), findChild(swatch, "swatchShadow")]) {
            tryCompare(shadow, "status", Image.Ready)
            compare(shadow.implicitWidth, shadow.width, shadow.objectName)
            compare(shadow.implicitHeight, shadow.height, shadow.objectName)
        }
    }
}
