import QtQuick
import QtQuick.Layouts
import Veristamp

// What was inspected: the package's icon, name, kind and path, with the
// verdict badge and the one-line tallies.
Rectangle {
    id: root

    required property InspectionView inspection
    readonly property color tint: inspection.verdictColor

    implicitHeight: row.implicitHeight + 36
    Accessible.role: Accessible.StaticText
    Accessible.name: AccessibleTexts.packageHeader(inspection.displayName, inspection.kindWords, inspection.path)
    radius: 18
    color: Theme.white(0.07)
    border.color: Theme.white(0.12)
    border.width: 1

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 18
        spacing: 18

        Rectangle {
            implicitWidth: 74
            implicitHeight: 74
            radius: 18
            color: Theme.white(0.12)

            SymbolIcon {
                objectName: "packageSymbol"
                anchors.centerIn: parent
                name: root.inspection.packageSymbol
                size: 34
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            spacing: 5

            Text {
                objectName: "packageName"
                Layout.fillWidth: true
                text: root.inspection.displayName
                wrapMode: Text.Wrap
                color: Theme.white(1)
                font.pixelSize: 25
                font.weight: Font.DemiBold
            }

            Text {
                objectName: "packageKind"
                Layout.fillWidth: true
                text: root.inspection.kindWords
                wrapMode: Text.Wrap
                color: Theme.white(0.72)
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }

            Text {
                objectName: "packagePath"
                Layout.fillWidth: true
                text: root.inspection.path
                maximumLineCount: 1
                elide: Text.ElideMiddle
                color: Theme.white(0.58)
                font.family: Typography.monospacedFamily
                font.pixelSize: 11
            }
        }

        ColumnLayout {
            spacing: 6

            Rectangle {
                Layout.alignment: Qt.AlignRight
                implicitWidth: badgeText.implicitWidth + 24
                implicitHeight: badgeText.implicitHeight + 14
                radius: height / 2
                color: Theme.tinted(root.tint, 0.14)
                border.color: Theme.tinted(root.tint, 0.28)
                border.width: 1

                Text {
                    id: badgeText
                    objectName: "verdictBadge"
                    anchors.centerIn: parent
                    text: root.inspection.verdictTitle
                    color: root.tint
                    font.family: Typography.monospacedFamily
                    font.pixelSize: 11
                    font.weight: Font.Bold
                    font.letterSpacing: 1.2
                }
            }

            Text {
                objectName: "tallyLine"
                Layout.alignment: Qt.AlignRight
                text: root.inspection.tallyLine
                color: Theme.white(0.72)
                font.family: Typography.monospacedFamily
                font.pixelSize: 11
                font.weight: Font.DemiBold
            }
        }
    }
}
