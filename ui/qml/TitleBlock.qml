import QtQuick

// "Veristamp" over "Release Preflight for macOS": the top bar uses it at
// 24/13/0.68, the About sheet at 29/14/0.62.
Column {
    property real titleSize: 24
    property real subtitleSize: 13
    property real subtitleOpacity: 0.68

    spacing: 2

    Text {
        text: "Veristamp"
        color: Theme.white(1)
        font.pixelSize: parent.titleSize
        font.weight: Font.DemiBold
    }

    Text {
        text: "Release Preflight for macOS"
        color: Theme.white(parent.subtitleOpacity)
        font.pixelSize: parent.subtitleSize
        font.weight: Font.Medium
    }
}
