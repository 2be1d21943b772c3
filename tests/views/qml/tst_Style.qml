import QtQuick
import QtTest
import Brimlark.Views

// Every named colour of the shared style composes: a view tints it with
// withAlpha() or fade() and gets that colour at the asked opacity, in both
// appearances (a plain text colour gave NaN components).
TestCase {
    name: "Style"

    function test_namedColoursTakeAnOpacity_data() {
        const rows = []
        for (const name of ["blue", "purple", "red", "cyan", "orange", "yellow"]) {
            rows.push({ tag: name + " light", colour: Style[name](true) })
            rows.push({ tag: name + " dark", colour: Style[name](false) })
        }
        rows.push({ tag: "indigo", colour: Style.indigo })
        rows.push({ tag: "violet", colour: Style.violet })
        return rows
    }

    function test_namedColoursTakeAnOpacity(row) {
        for (const tinted of [Style.withAlpha(row.colour, 0.25), Style.fade(row.colour, 0.25)]) {
            compare(tinted.a, 0.25)
            for (const c of [tinted.r, tinted.g, tinted.b]) {
                verify(c >= 0 && c <= 1, "component " + c)
            }
            verify(Qt.colorEqual(Qt.rgba(tinted.r, tinted.g, tinted.b, 1), row.colour))
        }
    }
}
