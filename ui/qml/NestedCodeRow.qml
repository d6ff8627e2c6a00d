import QtQuick
import QtQuick.Layouts
import Veristamp

// One piece of code the forecast read: its path, selectable, beside its
// signature and architectures. A tab stop, read as one sentence.
Item {
    id: root

    property string path
    property string architectures
    property string signature
    property string accessibleName

    objectName: "nestedCode:" + path
    activeFocusOnTab: true
    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName
    implicitHeight: row.implicitHeight + 24

    FocusRing { targetRadius: 10 }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 12
        anchors.bottomMargin: 12
        spacing: 20

        TextEdit {
            objectName: "codePath"
            Accessible.name: "Path"
            Accessible.role: Accessible.EditableText
            Accessible.readOnly: true
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            Layout.alignment: Qt.AlignTop
            text: root.path
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.WrapAtWordBoundaryOrAnywhere
            color: Theme.white(0.92)
            selectionColor: Theme.selection
            font.family: Typography.monospacedFamily
            font.pixelSize: 12
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignTop
            Layout.preferredWidth: 190
            Layout.minimumWidth: 190
            Layout.maximumWidth: 190
            spacing: 3

            Text {
                objectName: "codeSignature"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignRight
                text: root.signature
                wrapMode: Text.Wrap
                color: Theme.white(0.9)
                font.pixelSize: 12
                font.weight: Font.Medium
            }

            Text {
                objectName: "codeArchitectures"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignRight
                text: root.architectures
                wrapMode: Text.Wrap
                color: Theme.white(0.68)
                font.family: Typography.monospacedFamily
                font.pixelSize: 11
            }
        }
    }
}
