import QtQuick
import QtQuick.Layouts
import Veristamp

// One of the six check areas of the About sheet: its symbol on a faint green
// square beside its title and a subtitle that wraps rather than being cut.
RowLayout {
    id: root

    required property string symbol
    required property string title
    required property string subtitle
    readonly property color green: StatusPalette.green

    objectName: "checkArea:" + title
    Accessible.role: Accessible.StaticText
    Accessible.name: AccessibleTexts.labelled(title, subtitle)
    spacing: 10

    Rectangle {
        Layout.alignment: Qt.AlignTop
        implicitWidth: 30
        implicitHeight: 30
        radius: 8
        color: Theme.tinted(root.green, 0.1)

        SymbolIcon {
            anchors.centerIn: parent
            name: root.symbol
            size: 13
            color: root.green
        }
    }

    ColumnLayout {
        Layout.alignment: Qt.AlignTop
        Layout.fillWidth: true
        Layout.preferredWidth: 0
        spacing: 2

        Text {
            Layout.fillWidth: true
            text: root.title
            wrapMode: Text.Wrap
            color: Theme.white(0.92)
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }

        Text {
            objectName: "checkAreaSubtitle"
            Layout.fillWidth: true
            text: root.subtitle
            wrapMode: Text.Wrap
            color: Theme.white(0.5)
            // Pixel sizes are whole numbers: 10.5 points round to 11.
            font.pixelSize: 11
        }
    }
}
