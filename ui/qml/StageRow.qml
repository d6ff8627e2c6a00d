import QtQuick
import QtQuick.Layouts
import Veristamp

// One live stage: status icon (a small spinner while active), title and
// status label, on a fill and border in the status's colours. A change of
// status animates this row alone, over 0.18 s. Screen readers read the row
// as one item, and hear it announced when its stage finishes.
Rectangle {
    id: row

    required property string title
    required property int status

    readonly property var look: StatusPalette.stageRowLook(status)

    objectName: "stageRow"
    Accessible.role: Accessible.ListItem
    Accessible.name: AccessibleTexts.stage(title, status)
    implicitHeight: line.implicitHeight + 20
    radius: 11
    color: look.fill
    border.color: look.border
    border.width: 1

    Behavior on color { ColorAnimation { duration: 180; easing.type: Easing.InOutQuad } }
    Behavior on border.color { ColorAnimation { duration: 180; easing.type: Easing.InOutQuad } }

    AnnouncementNotice {
        objectName: "stageAnnouncement"
        text: AccessibleTexts.stageAnnouncement(row.title, row.status)
    }

    RowLayout {
        id: line
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        anchors.topMargin: 10
        anchors.bottomMargin: 10
        spacing: 12

        Item {
            implicitWidth: 22
            implicitHeight: 22

            SymbolIcon {
                objectName: "stageIcon"
                anchors.centerIn: parent
                name: row.look.iconName
                size: 17
                color: row.look.iconColor
            }

            Spinner {
                objectName: "stageSpinner"
                anchors.centerIn: parent
                width: 16
                height: 16
                visible: row.look.showsSpinner
                color: row.look.titleColor
            }
        }

        Text {
            objectName: "stageTitle"
            Accessible.ignored: true
            Layout.fillWidth: true
            text: row.title
            elide: Text.ElideRight
            color: row.look.titleColor
            font.pixelSize: 13
            font.weight: row.look.titleWeight
            Behavior on color { ColorAnimation { duration: 180; easing.type: Easing.InOutQuad } }
        }

        Text {
            objectName: "stageLabel"
            Accessible.ignored: true
            Layout.leftMargin: 4 // with the row spacing, the 16-point minimum gap
            text: row.look.label
            visible: text.length > 0
            color: row.look.labelColor
            font.pixelSize: 10
            font.weight: Font.Bold
            font.family: Typography.monospacedFamily
            font.letterSpacing: 0.6
            Behavior on color { ColorAnimation { duration: 180; easing.type: Easing.InOutQuad } }
        }
    }
}
