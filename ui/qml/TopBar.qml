import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Veristamp

// The bar above every screen: app mark, title block, and the "About" and
// "Check Another App or DMG" buttons on the right. Where the window's own
// buttons sit in the content (macOS's hidden title bar), the mark starts
// beside them.
Item {
    id: root

    required property ContentViewState viewState
    property real windowButtonsWidth: 0
    signal checkAnotherClicked()

    // The platform's bordered button on a dark window: white label on a faint
    // rounded fill.
    component BarButton: Button {
        id: button
        focusPolicy: Qt.StrongFocus
        Accessible.name: text
        Keys.onReturnPressed: clicked()
        Keys.onEnterPressed: clicked()
        leftPadding: 11
        rightPadding: 11
        topPadding: 4
        bottomPadding: 4
        font.pixelSize: 13
        contentItem: Text {
            text: button.text
            font: button.font
            color: Theme.white(1)
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            implicitHeight: 24
            radius: 6
            color: Theme.white(button.down ? 0.24 : 0.14)
            border.color: Theme.white(0.1)
            border.width: 1
        }

        FocusRing {}
    }

    implicitHeight: row.implicitHeight + 36

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: Math.max(26, root.windowButtonsWidth + 14)
        anchors.rightMargin: 26
        anchors.topMargin: 18
        anchors.bottomMargin: 18
        spacing: 14

        Rectangle {
            Accessible.ignored: true
            implicitWidth: 46
            implicitHeight: 46
            radius: 12
            color: Theme.white(0.08)

            SymbolIcon {
                anchors.centerIn: parent
                name: "checkmark.seal.fill"
                size: 23
            }
        }

        TitleBlock {
            titleSize: 24
            subtitleSize: 13
            subtitleOpacity: 0.68
        }

        Item { Layout.fillWidth: true }

        BarButton {
            objectName: "aboutButton"
            text: "About"
            onClicked: root.viewState.showAbout()
        }

        BarButton {
            objectName: "checkAnotherButton"
            text: "Check Another App or DMG"
            visible: root.viewState.canCheckAnother
            onClicked: root.checkAnotherClicked()
        }
    }

    Shortcut {
        objectName: "checkAnotherShortcut"
        sequences: ["Ctrl+Shift+N"]
        enabled: root.viewState.canCheckAnother
        onActivated: root.checkAnotherClicked()
    }
}
