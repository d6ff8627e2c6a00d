import QtQuick
import Veristamp

// The signed entitlements, every line kept, monospaced and selectable, in an
// inner panel of its section's card. Tabs stop every four characters; lines
// wrap only after white space or between tags (see entitlements_display.h),
// and a copy takes the text as signed.
Rectangle {
    id: root

    // The entitlements as markup (see ResultSectionModel): the text itself,
    // with 3 points between lines, which plain text cannot carry.
    property string markup

    objectName: "entitlementsBlock"
    implicitHeight: body.implicitHeight + 36
    radius: 12
    color: Theme.white(0.085)
    border.color: Theme.white(0.12)
    border.width: 1

    TextEdit {
        id: body
        objectName: "entitlementsText"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 18
        text: root.markup
        textFormat: TextEdit.RichText
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        color: Theme.white(0.88)
        selectionColor: Theme.selection
        font.family: Typography.monospacedFamily
        font.pixelSize: 12
        tabStopDistance: 4 * characterWidth.advanceWidth(" ")
        Accessible.name: "Signed entitlements"
        // The text as signed, without the characters that steer line breaking.
        Accessible.description: EntitlementsClipboard.plain(body.getText(0, body.length))
        Accessible.role: Accessible.EditableText
        Accessible.readOnly: true
        Keys.onPressed: (event) => event.accepted = event.matches(StandardKey.Copy) && EntitlementsClipboard.copy(selectedText)

        FontMetrics {
            id: characterWidth
            font: body.font
        }
    }
}
