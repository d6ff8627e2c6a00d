import QtQuick
import QtQuick.Shapes

// An indeterminate activity spinner: an arc turning smoothly over a faint
// track of the same colour, the colour of the text it stands beside.
Item {
    id: root

    property color color: Theme.white(1)
    property bool running: visible
    readonly property real lineWidth: Math.max(1.6, width / 9)
    readonly property real arcRadius: (Math.min(width, height) - lineWidth) / 2

    implicitWidth: 16
    implicitHeight: 16
    Accessible.ignored: true

    Shape {
        id: arc
        anchors.fill: parent
        antialiasing: true
        // Multisampled where the scene graph draws with the GPU; the software
        // renderer smooths paths itself (and draws no multisampled layer).
        layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
        layer.samples: 4
        layer.smooth: true

        ShapePath {
            strokeColor: Theme.tinted(root.color, root.color.a * 0.2)
            strokeWidth: root.lineWidth
            fillColor: "transparent"
            PathAngleArc {
                centerX: root.width / 2
                centerY: root.height / 2
                radiusX: root.arcRadius
                radiusY: root.arcRadius
                startAngle: 0
                sweepAngle: 360
            }
        }

        ShapePath {
            strokeColor: root.color
            strokeWidth: root.lineWidth
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            PathAngleArc {
                centerX: root.width / 2
                centerY: root.height / 2
                radiusX: root.arcRadius
                radiusY: root.arcRadius
                startAngle: -90
                sweepAngle: 110
            }
        }

        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: root.running
        }
    }
}
