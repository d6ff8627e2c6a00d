import QtQuick
import QtQuick.Layouts
import Veristamp

// The check-areas card of the About sheet: a caption row over the grid of
// the areas AboutContent defines, two to a row.
Rectangle {
    implicitHeight: areas.implicitHeight
    radius: 16
    color: Theme.white(0.045)
    border.color: Theme.white(0.1)
    border.width: 1

    ColumnLayout {
        id: areas
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 15
            Layout.rightMargin: 15
            Layout.topMargin: 14
            Layout.bottomMargin: 11

            AboutCaption {
                text: "RELEASE VERIFICATION"
                color: Theme.white(0.48)
                font.pixelSize: 10
                font.letterSpacing: 1.15
            }

            Item { Layout.fillWidth: true }

            AboutCaption {
                text: AboutContent.checkAreas.length + " CHECK AREAS"
                color: Theme.white(0.5)
                font.pixelSize: 9
                font.letterSpacing: 0.8
            }
        }

        AboutDivider { opacity: 0.07 }

        GridLayout {
            objectName: "checkAreaGrid"
            Layout.fillWidth: true
            Layout.margins: 15
            columns: 2
            columnSpacing: 12
            rowSpacing: 12

            Repeater {
                model: AboutContent.checkAreas

                CheckAreaCell {
                    required property var modelData
                    // Equal preferred widths make the two columns share the width equally.
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    Layout.minimumWidth: 10
                    Layout.alignment: Qt.AlignLeft | Qt.AlignTop
                    symbol: modelData.symbol
                    title: modelData.title
                    subtitle: modelData.subtitle
                }
            }
        }
    }
}
