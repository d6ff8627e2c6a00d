import QtQuick
import Veristamp

// One tally: the count in the tile's own colour over its label, in a tile of
// fixed size whatever the number of digits.
Rectangle {
    id: root

    property string count
    property string label
    property color tint

    width: 54
    height: 48
    radius: 11
    color: Theme.black(0.2)

    Column {
        anchors.centerIn: parent
        spacing: 3

        Text {
            objectName: "tallyCount"
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.count
            color: root.tint
            font.pixelSize: 17
            font.weight: Font.DemiBold
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.label
            color: Theme.white(0.78)
            font.family: Typography.monospacedFamily
            font.pixelSize: 9
            font.weight: Font.Bold
        }
    }
}
