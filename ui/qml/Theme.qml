pragma Singleton
import QtQuick

// The window's colours, in its one dark appearance. Texts, fills and borders
// are white (or black) at an opacity over the dark background; a tint is a
// status hue from StatusPalette at an opacity. The named colours are those
// that are neither.
QtObject {
    readonly property color windowTop: Qt.rgba(0.10, 0.10, 0.10, 1.0)
    readonly property color windowBottom: Qt.rgba(0.055, 0.055, 0.055, 1.0)
    readonly property color sheetTop: Qt.rgba(0.125, 0.125, 0.125, 1)
    readonly property color sheetBottom: Qt.rgba(0.06, 0.06, 0.06, 1)
    readonly property color menuBackground: Qt.rgba(0.17, 0.17, 0.17, 1)
    readonly property color accent: Qt.rgba(0, 0.4, 1, 1)
    readonly property color accentPressed: Qt.rgba(0, 0.32, 0.8, 1)
    readonly property color focusRing: Qt.rgba(0.3, 0.64, 1, 1)
    // Behind selected text in every selectable field.
    readonly property color selection: Qt.rgba(1, 1, 1, 0.25)
    // Over the window behind a sheet.
    readonly property color scrim: Qt.rgba(0, 0, 0, 0.45)

    function white(opacity: real): color {
        return Qt.rgba(1, 1, 1, opacity)
    }

    function black(opacity: real): color {
        return Qt.rgba(0, 0, 0, opacity)
    }

    function tinted(hue: color, opacity: real): color {
        return Qt.rgba(hue.r, hue.g, hue.b, opacity)
    }
}
