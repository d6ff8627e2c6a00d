import QtQuick
import QtQuick.Layouts
import Veristamp

// The landing screen: the drop zone between two flexible spaces, the caption
// under it.
Item {
    id: root

    required property ContentViewState viewState

    function takeFocus() { dropZone.takeFocus() }

    ColumnLayout {
        anchors.fill: parent
        spacing: 24

        Item { Layout.fillHeight: true }

        DropZone {
            id: dropZone
            objectName: "dropTarget"
            Layout.alignment: Qt.AlignHCenter
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.maximumWidth: 650 + 2 * dropZone.sideStrip
            Layout.preferredHeight: 310
            Layout.maximumHeight: 310
            Layout.minimumHeight: dropZone.minimumZoneHeight
            viewState: root.viewState
        }

        Text {
            objectName: "landingCaption"
            Layout.alignment: Qt.AlignHCenter
            text: "APP CHECK  \u2022  DMG CHECK"
            color: Theme.white(0.58)
            font.pixelSize: 11
            font.weight: Font.Bold
            font.letterSpacing: 1.5
        }

        // Beside the beep of a refused package, for those who cannot hear it.
        Text {
            objectName: "refusalLine"
            Layout.alignment: Qt.AlignHCenter
            Layout.maximumWidth: 650
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            visible: text.length > 0
            text: root.viewState.refusal
            color: Theme.white(0.86)
            font.pixelSize: 13
        }

        Item { Layout.fillHeight: true }
    }

    AnnouncementNotice {
        objectName: "refusalAnnouncement"
        text: root.viewState.refusal
    }
}
