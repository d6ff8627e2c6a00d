import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Veristamp

// The live inspection screen: one card with a spinner, the heading, the
// target's name and a row per live stage, between two flexible spaces.
Item {
    id: root

    required property ContentViewState viewState

    ColumnLayout {
        anchors.fill: parent
        spacing: 28

        Item { Layout.fillHeight: true }

        Rectangle {
            objectName: "liveCard"
            Layout.alignment: Qt.AlignHCenter
            Layout.leftMargin: 36
            Layout.rightMargin: 36
            Layout.fillWidth: true
            Layout.maximumWidth: Math.min(760, card.implicitWidth + 2 * card.horizontalInset)
            implicitHeight: card.implicitHeight + 2 * card.verticalInset
            radius: 24
            color: Qt.rgba(1, 1, 1, 0.085)
            border.color: Qt.rgba(1, 1, 1, 0.18)
            border.width: 1

            ColumnLayout {
                id: card
                readonly property real horizontalInset: 54
                readonly property real verticalInset: 42
                anchors.fill: parent
                anchors.leftMargin: horizontalInset
                anchors.rightMargin: horizontalInset
                anchors.topMargin: verticalInset
                anchors.bottomMargin: verticalInset
                spacing: 20

                BusyIndicator {
                    Layout.alignment: Qt.AlignHCenter
                    implicitWidth: 32
                    implicitHeight: 32
                    padding: 0
                    scale: 1.15
                    running: root.visible
                    palette.dark: StatusPalette.green
                }

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 7

                    Text {
                        objectName: "inspectingHeading"
                        // Centred in its line rather than by the layout, which keeps
                        // the width it measured while the screen was hidden.
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignHCenter
                        text: root.viewState.inspectingHeading
                        color: "white"
                        font.pixelSize: 26
                        font.weight: Font.DemiBold
                    }

                    Text {
                        objectName: "inspectionTargetName"
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignHCenter
                        text: root.viewState.inspectionTargetName
                        color: Qt.rgba(1, 1, 1, 0.76)
                        font.pixelSize: 14
                        font.weight: Font.DemiBold
                        elide: Text.ElideMiddle
                        maximumLineCount: 1
                    }
                }

                Column {
                    objectName: "stageList"
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 8
                    Layout.fillWidth: true
                    Layout.preferredWidth: 500
                    Layout.maximumWidth: 500
                    spacing: 9

                    Repeater {
                        model: root.viewState.liveStages
                        delegate: StageRow {
                            width: parent.width
                        }
                    }
                }

                Text {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 5
                    Layout.fillWidth: true
                    Layout.preferredWidth: 570
                    Layout.maximumWidth: 570
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: "Each stage turns green as it passes. Veristamp remains responsive while the release package is inspected."
                    color: Qt.rgba(1, 1, 1, 0.62)
                    font.pixelSize: 12
                }
            }
        }

        Item { Layout.fillHeight: true }
    }
}
