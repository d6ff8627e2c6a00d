import QtQuick
import QtQuick.Controls
import Veristamp

// The window's context menu, where the menu bar does not carry the window
// commands (see AppCommands): drawn in the window's dark palette, its
// highlight the accent of the buttons.
Menu {
    id: root

    required property PackageOpener opener

    objectName: "windowMenu"
    palette.window: Theme.menuBackground
    palette.windowText: Theme.white(1)
    palette.dark: Theme.white(0.16)
    palette.light: Theme.accent
    palette.midlight: Theme.accentPressed

    MenuItem {
        text: "Open\u2026"
        enabled: root.opener.canOpen
        onTriggered: root.opener.open()
    }
    MenuItem {
        text: "New Window"
        onTriggered: AppCommands.newWindow()
    }
    MenuItem {
        text: "About Veristamp"
        onTriggered: AppCommands.showAbout()
    }
}
