import QtQuick
import QtQuick.Controls
import Veristamp

// One main window: its own state, the dark gradient under everything, and
// ContentView on top. Closing the window destroys it and its state.
ApplicationWindow {
    id: window

    // Not drawn on macOS (the title bar is hidden); the name screen readers give the window.
    title: "Veristamp"
    width: 920
    height: 700
    minimumWidth: 760
    minimumHeight: 560
    visible: true

    // Kept clear by the top bar: the window's own buttons (see prepareWindow).
    property real windowButtonsWidth: 0

    background: Rectangle {
        gradient: Gradient {
            GradientStop { position: 0.0; color: Theme.windowTop }
            GradientStop { position: 1.0; color: Theme.windowBottom }
        }
    }

    ContentViewState {
        id: viewState
        objectName: "viewState"
    }

    // "Open…", from the shortcut and the context menu here, from the drop zone
    // and the menu bar through AppCommands.
    PackageOpener {
        id: opener
        objectName: "packageOpener"
        viewState: viewState
    }

    ContentView {
        objectName: "contentView"
        anchors.fill: parent
        viewState: viewState
        windowButtonsWidth: window.windowButtonsWidth
    }

    // Over the screens, so a right click reaches it before the selectable
    // texts and scroll views under it take the press.
    Item {
        anchors.fill: parent

        TapHandler {
            acceptedButtons: Qt.RightButton
            enabled: AppCommands.commandsInWindow
            onTapped: (eventPoint) => windowMenu.popup(eventPoint.position)
        }
    }

    // Where the menu bar does not carry the window commands (see AppCommands).
    // Qt 6.4's qmllint cannot resolve StandardKey, a value type's enum.
    Shortcut {
        sequences: [StandardKey.New] // qmllint disable unqualified
        enabled: AppCommands.commandsInWindow
        onActivated: AppCommands.newWindow()
    }

    Shortcut {
        sequences: [StandardKey.Open] // qmllint disable unqualified
        enabled: AppCommands.commandsInWindow
        onActivated: opener.open()
    }

    // The context menu from the keyboard too.
    Shortcut {
        sequences: ["Menu", "Shift+F10"]
        enabled: AppCommands.commandsInWindow
        // At the focused control, not at the mouse pointer.
        onActivated: windowMenu.popup(KeyboardScroll.menuPoint(window.activeFocusItem, window.contentItem))
    }

    Connections {
        target: AppCommands
        function onOpenPackageRequested(target) {
            if (target === window)
                opener.open()
        }
    }

    // The context menu, made the first time it opens: the window is on
    // screen sooner for not building it at launch.
    Loader {
        id: windowMenu

        function popup(at: point) {
            active = true
            const menu = item as Menu
            menu.popup(at)
        }

        active: false
        Component.onCompleted: setSource("WindowMenu.qml", { opener: opener })
    }

    Component.onCompleted: windowButtonsWidth = AppCommands.prepareWindow(window)
}
