import QtQuick
import Veristamp

// A small upper-case caption of the About sheet, in the monospaced design.
Text {
    font.family: Typography.monospacedFamily
    font.weight: Font.Bold
}
