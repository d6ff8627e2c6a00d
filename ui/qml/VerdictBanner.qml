import QtQuick
import QtQuick.Layouts
import Veristamp

// May this package ship: the verdict in its colour, its summary, and the
// pass, warning and fail tiles. It takes the focus when the results show, is
// read as one text with its tallies, and is announced as it appears.
Rectangle {
    id: root

    required property InspectionView inspection
    readonly property color tint: inspection.verdictColor

    implicitHeight: row.implicitHeight + 40
    activeFocusOnTab: true
    Accessible.role: Accessible.StaticText
    Accessible.name: inspection.verdictAccessibleName
    radius: 18
    color: Theme.tinted(tint, 0.075)
    border.color: Theme.tinted(tint, 0.34)
    border.width: 1.2

    AnnouncementNotice {
        objectName: "verdictAnnouncement"
        text: root.Accessible.name
    }

    FocusRing { targetRadius: 18 }

    RowLayout {
        id: row
        Accessible.ignored: true
        anchors.fill: parent
        anchors.margins: 20
        spacing: 18

        Rectangle {
            implicitWidth: 58
            implicitHeight: 58
            radius: 14
            color: Theme.tinted(root.tint, 0.16)

            SymbolIcon {
                objectName: "verdictSymbol"
                anchors.centerIn: parent
                name: root.inspection.verdictSymbol
                size: 31
                color: root.tint
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            spacing: 6

            Text {
                objectName: "verdictTitle"
                Layout.fillWidth: true
                text: root.inspection.verdictTitle
                wrapMode: Text.Wrap
                color: root.tint
                font.pixelSize: 18
                font.weight: Font.DemiBold
            }

            Text {
                objectName: "verdictSummary"
                Layout.fillWidth: true
                text: root.inspection.verdictSummary
                wrapMode: Text.Wrap
                color: Theme.white(0.86)
                font.pixelSize: 13
                font.weight: Font.Medium
            }
        }

        Row {
            spacing: 10

            Repeater {
                model: root.inspection.tallyTiles

                TallyTile {
                    required property var modelData
                    objectName: "tallyTile" + modelData.label
                    count: modelData.count
                    label: modelData.label
                    tint: modelData.color
                }
            }
        }
    }
}
