import QtQuick
import QtTest
import Brimlark.Grid

TestCase {
    id: test
    name: "ModernLoadingView"
    when: windowShown
    visible: true
    width: 400
    height: 400

    Component {
        id: loadingComponent
        ModernLoadingView {
            anchors.fill: parent
        }
    }

    function init() {
        failOnWarning(/.?/)
    }

    function texts(item, out) {
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            if (child instanceof Text)
                out.push(child.text)
            texts(child, out)
        }
        return out
    }

    function test_startsAtRestThenAnimatesOnAppearing() {
        const view = createTemporaryObject(loadingComponent, test)
        // The first values are the resting ones.
        compare(view.outerRing.scale, 0.75)
        compare(view.outerRing.opacity, 0.8)
        compare(view.middleRing.rotation, 0)
        compare(view.core.scale, 0.9)
        verify(view.isAnimating)
        tryVerify(() => view.middleRing.rotation > 5, 2000)
        tryVerify(() => view.outerRing.scale > 0.8 && view.outerRing.opacity < 0.75, 2000)
        tryVerify(() => view.core.scale > 0.95, 2000)
        // The outer ring swells and fades, never the other way round.
        verify(view.outerRing.scale <= 1.25 && view.outerRing.scale >= 0.75)
        verify(view.core.scale <= 1.1 && view.core.scale >= 0.9)
    }

    function test_showsTheNameAndTheLineAndNothingElse() {
        const view = createTemporaryObject(loadingComponent, test)
        compare(texts(view, []), ["Brimlark", "Initializing app space..."])
        compare(view.outerRing.width, 80)
        compare(view.middleRing.width, 60)
    }

    function test_drawsItsEmblem() {
        const view = createTemporaryObject(loadingComponent, test)
        waitForRendering(view)
        const image = grabImage(view)
        // The core's centre is coloured; the corner of the pane is not.
        const c = view.core.mapToItem(view, view.core.width / 2, view.core.height / 2)
        const centre = image.pixel(Math.round(c.x), Math.round(c.y))
        const corner = image.pixel(1, 1)
        verify(!Qt.colorEqual(centre, corner))
        verify(centre.b > centre.r)
    }
}
