import QtQuick
import QtQuick.Controls
import Veristamp

// One main window: its own state, the dark gradient under everything, and
// ContentView on top. Closing the window destroys it and its state.
ApplicationWindow {
    id: window

    width: 920
    height: 700
    minimumWidth: 760
    minimumHeight: 560
    visible: true

    // Kept clear by the top bar: the window's own buttons (see prepareWindow).
    property real windowButtonsWidth: 0

    background: Rectangle {
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(0.10, 0.10, 0.10, 1.0) }
            GradientStop { position: 1.0; color: Qt.rgba(0.055, 0.055, 0.055, 1.0) }
        }
    }

    ContentViewState {
        id: viewState
        objectName: "viewState"
    }

    ContentView {
        objectName: "contentView"
        anchors.fill: parent
        viewState: viewState
        windowButtonsWidth: window.windowButtonsWidth

        TapHandler {
            acceptedButtons: Qt.RightButton
            enabled: AppCommands.commandsInWindow
            onTapped: windowMenu.popup()
        }
    }

    // Where the menu bar does not carry the window commands (see AppCommands).
    Shortcut {
        sequences: [StandardKey.New]
        enabled: AppCommands.commandsInWindow
        onActivated: AppCommands.newWindow()
    }

    Menu {
        id: windowMenu
        objectName: "windowMenu"

        MenuItem {
            text: "New Window"
            onTriggered: AppCommands.newWindow()
        }
        MenuItem {
            text: "About Veristamp"
            onTriggered: AppCommands.showAbout()
        }
    }

    Component.onCompleted: windowButtonsWidth = AppCommands.prepareWindow(window)
}
