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
        // The name is drawn in its gradient.
        compare(texts(view, []), ["Initializing app space..."])
        compare(view.productName.text, "Brimlark")
        compare(view.outerRing.width, 80)
        compare(view.middleRing.width, 60)
    }

    function test_drawsItsEmblem() {
        const view = createTemporaryObject(loadingComponent, test)
        tryCompare(view, "opacity", 1)
        waitForRendering(view)
        const image = grabImage(view)
        // The core's centre is coloured; the corner of the pane is not.
        const c = view.core.mapToItem(view, view.core.width / 2, view.core.height / 2)
        const centre = image.pixel(Math.round(c.x), Math.round(c.y))
        const corner = image.pixel(1, 1)
        verify(!Qt.colorEqual(centre, corner))
        verify(centre.b > centre.r)
    }

    function test_entersGrowingFromAndFadingIn() {
        const view = createTemporaryObject(loadingComponent, test)
        verify(view.entrance.running)
        compare(view.entrance.animations[0].duration, 350)
        compare(view.entrance.animations[1].from, 0.95)
        compare(view.entrance.animations[1].easing.type, Easing.InOutQuad)
        verify(view.scale < 1 && view.opacity < 1)
        tryCompare(view, "scale", 1)
        tryCompare(view, "opacity", 1)
    }

    function test_theNameFadesAcrossItsGradient() {
        const view = createTemporaryObject(loadingComponent, test)
        tryCompare(view, "opacity", 1)
        waitForRendering(view)
        const image = grabImage(view)
        const origin = view.productName.mapToItem(view, 0, 0)
        // The most opaque ink of the name's first and last quarters: the
        // gradient leaves the end lighter than the start.
        const ink = (from, to) => {
            let darkest = 1
            for (let x = Math.round(from); x < to; ++x)
                for (let y = 0; y < view.productName.height; ++y) {
                    const c = image.pixel(Math.round(origin.x) + x, Math.round(origin.y) + y)
                    darkest = Math.min(darkest, 1 - c.a * (1 - (c.r + c.g + c.b) / 3))
                }
            return darkest
        }
        const w = view.productName.width
        verify(ink(0, w / 4) < ink(3 * w / 4, w), ink(0, w / 4) + " vs " + ink(3 * w / 4, w))
    }
}
