import QtQuick
import QtQuick.Layouts
import Veristamp

// One issue of the notary forecast: its severity symbol and badge, the
// notary's words, where it stands (architecture and path) and its fix, the
// path and the fix selectable. A tab stop, read as one sentence.
Item {
    id: root

    property string message
    property string path
    property string architecture
    property string fix
    property string symbol
    property color tint
    property string badge
    property color badgeFill
    property string accessibleName

    objectName: "forecastIssue:" + message
    activeFocusOnTab: true
    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName
    implicitHeight: row.implicitHeight + 28

    FocusRing { targetRadius: 10 }

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
            implicitHeight: issueSymbol.height

            SymbolIcon {
                id: issueSymbol
                anchors.horizontalCenter: parent.horizontalCenter
                name: root.symbol
                size: 18
                color: root.tint
            }
        }

        // A Column, not a ColumnLayout: wrapped texts take the column's width
        // directly, so their heights are always measured at the width drawn.
        Column {
            Layout.alignment: Qt.AlignTop
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            spacing: 6

            Text {
                objectName: "issueMessage"
                width: parent.width
                text: root.message
                wrapMode: Text.Wrap
                color: Theme.white(0.96)
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }

            // The path is anchored beside the architecture for the same reason.
            Item {
                width: parent.width
                height: Math.max(architectureBadge.visible ? architectureBadge.height : 0,
                                         pathText.implicitHeight)

                Rectangle {
                    id: architectureBadge
                    visible: root.architecture.length > 0
                    width: architectureText.implicitWidth + 12
                    height: architectureText.implicitHeight + 4
                    radius: 5
                    color: Theme.white(0.09)

                    Text {
                        id: architectureText
                        objectName: "issueArchitecture"
                        anchors.centerIn: parent
                        text: root.architecture
                        color: Theme.white(0.82)
                        font.family: Typography.monospacedFamily
                        font.pixelSize: 11
                        font.weight: Font.DemiBold
                    }
                }

                TextEdit {
                    id: pathText
                    objectName: "issuePath"
                    Accessible.name: "Path"
                    Accessible.role: Accessible.EditableText
                    Accessible.readOnly: true
                    anchors.left: architectureBadge.visible ? architectureBadge.right : parent.left
                    anchors.leftMargin: architectureBadge.visible ? 8 : 0
                    anchors.right: parent.right
                    text: root.path
                    textFormat: TextEdit.PlainText
                    readOnly: true
                    selectByMouse: true
                    wrapMode: TextEdit.WrapAtWordBoundaryOrAnywhere
                    color: Theme.white(0.7)
                    selectionColor: Theme.selection
                    font.family: Typography.monospacedFamily
                    font.pixelSize: 12
                }
            }

            TextEdit {
                objectName: "issueFix"
                Accessible.name: "Fix"
                Accessible.role: Accessible.EditableText
                Accessible.readOnly: true
                width: parent.width
                text: root.fix
                textFormat: TextEdit.PlainText
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                color: Theme.white(0.86)
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
                objectName: "issueBadge"
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
