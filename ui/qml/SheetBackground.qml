pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Shapes

// The About sheet's surface: its two gradients, a vertical one from white
// 0.125 to 0.06 and a diagonal sheen of white 0.025 fading out, on a panel
// with rounded corners, a faint light edge and a soft shadow, so the sheet
// stands out from the dimmed window behind it.
Item {
    id: root

    readonly property real radius: 12

    // The shadow: rounded rectangles widening around the panel, a little
    // lower than it, each faint.
    Repeater {
        model: 8

        Rectangle {
            required property int index
            readonly property real spread: (index + 1) * 2.5

            x: -spread
            y: 6 - spread
            width: root.width + 2 * spread
            height: root.height + 2 * spread
            radius: root.radius + spread
            color: Theme.black(0.05)
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: root.radius
        gradient: Gradient {
            GradientStop { position: 0.0; color: Theme.sheetTop }
            GradientStop { position: 1.0; color: Theme.sheetBottom }
        }
    }

    // The sheen, within the rounded corners (PathRectangle is newer than Qt 6.4).
    Shape {
        id: sheen
        anchors.fill: parent

        readonly property real r: root.radius

        ShapePath {
            strokeColor: "transparent"
            fillGradient: LinearGradient {
                x1: 0
                y1: 0
                x2: sheen.width
                y2: sheen.height
                GradientStop { position: 0.0; color: Theme.white(0.025) }
                GradientStop { position: 1.0; color: "transparent" }
            }

            startX: sheen.r
            startY: 0
            PathLine { x: sheen.width - sheen.r; y: 0 }
            PathArc { x: sheen.width; y: sheen.r; radiusX: sheen.r; radiusY: sheen.r }
            PathLine { x: sheen.width; y: sheen.height - sheen.r }
            PathArc { x: sheen.width - sheen.r; y: sheen.height; radiusX: sheen.r; radiusY: sheen.r }
            PathLine { x: sheen.r; y: sheen.height }
            PathArc { x: 0; y: sheen.height - sheen.r; radiusX: sheen.r; radiusY: sheen.r }
            PathLine { x: 0; y: sheen.r }
            PathArc { x: sheen.r; y: 0; radiusX: sheen.r; radiusY: sheen.r }
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: root.radius
        color: "transparent"
        border.color: Theme.white(0.16)
        border.width: 1
    }
}
