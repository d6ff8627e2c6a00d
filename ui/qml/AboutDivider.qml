import QtQuick
import QtQuick.Layouts

// A one-point rule across a column of the About sheet; its opacity is set where it is used.
Rectangle {
    Layout.fillWidth: true
    implicitHeight: 1
    color: Theme.white(1)
}
