import QtQuick
import Veristamp

// The keyboard focus ring of its parent: a line just outside the parent's
// edge that follows its corner radius, drawn while the parent has active
// focus and the user works by keyboard (see FocusVisibility).
Rectangle {
    // The corner radius of the parent's own shape.
    property real targetRadius: 6
    readonly property real gap: 2

    objectName: "focusRing"
    anchors.fill: parent
    anchors.margins: -(gap + border.width)
    radius: targetRadius + gap + border.width
    z: 100
    color: "transparent"
    border.width: 3
    border.color: Theme.focusRing
    visible: parent.activeFocus && FocusVisibility.keyboardInUse
}
