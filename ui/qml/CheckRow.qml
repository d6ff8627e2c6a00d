import QtQuick
import QtQuick.Layouts
import Veristamp

// One check: its status symbol, title, selectable detail and status badge,
// all aligned to the top so a long detail keeps symbol and badge by its title.
Item {
    id: root

    property string title
    property string detail
    property string symbol
    property color tint
    property string badge
    property color badgeFill

    objectName: "check:" + title
    Accessible.role: Accessible.ListItem
    Accessible.name: AccessibleTexts.check(title, badge, detail)
    implicitHeight: row.implicitHeight + 28

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 14
        anchors.bottomMargin: 14
        spacing: 13

        Item {
            Layout.alignment: Qt.AlignTop
            implicitWidth: 24
            implicitHeight: statusSymbol.height

            SymbolIcon {
                id: statusSymbol
                objectName: "checkSymbol"
                anchors.horizontalCenter: parent.horizontalCenter
                name: root.symbol
                size: 18
                color: root.tint
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignTop
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            spacing: 4

            Text {
                objectName: "checkTitle"
                Layout.fillWidth: true
                text: root.title
                wrapMode: Text.Wrap
                color: Theme.white(0.96)
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }

            TextEdit {
                objectName: "checkDetail"
                Accessible.name: root.title
                Accessible.role: Accessible.EditableText
                Accessible.readOnly: true
                Layout.fillWidth: true
                text: root.detail
                textFormat: TextEdit.PlainText
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                color: Theme.white(0.7)
                selectionColor: Theme.selection
                font.pixelSize: 12
            }
        }

        Rectangle {
            Layout.alignment: Qt.AlignTop
            implicitWidth: badgeText.implicitWidth + 20
            implicitHeight: badgeText.implicitHeight + 10
            radius: height / 2
            color: root.badgeFill

            Text {
                id: badgeText
                objectName: "checkBadge"
                anchors.centerIn: parent
                text: root.badge
                color: root.tint
                font.family: Typography.monospacedFamily
                font.pixelSize: 10
                font.weight: Font.Bold
            }
        }
    }
}
