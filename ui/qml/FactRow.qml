import QtQuick
import QtQuick.Layouts
import Veristamp

// A label in its fixed 155-point column beside a value the user can select;
// a long value wraps under itself.
Item {
    id: root

    property string label
    property string value

    objectName: "fact:" + label
    implicitHeight: row.implicitHeight + 26

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 13
        anchors.bottomMargin: 13
        spacing: 20

        Text {
            objectName: "factLabel"
            Layout.preferredWidth: 155
            Layout.minimumWidth: 155
            Layout.maximumWidth: 155
            Layout.alignment: Qt.AlignLeft | Qt.AlignBaseline
            text: root.label
            elide: Text.ElideRight
            color: Theme.white(0.68)
            font.pixelSize: 13
            font.weight: Font.Medium
        }

        TextEdit {
            objectName: "factValue"
            Accessible.name: root.label
            Accessible.role: Accessible.EditableText
            Accessible.readOnly: true
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            Layout.alignment: Qt.AlignLeft | Qt.AlignBaseline
            text: root.value
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            color: Theme.white(0.95)
            selectionColor: Theme.selection
            font.pixelSize: 13
            font.weight: Font.Medium
        }
    }
}
