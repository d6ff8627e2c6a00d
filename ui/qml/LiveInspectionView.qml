import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Veristamp

// The live inspection screen: one card with a spinner, the heading, the
// target's name and a row per live stage, between two flexible spaces. In a
// window too short for the card the screen scrolls, so no row is cut off.
Flickable {
    id: root

    required property ContentViewState viewState

    function takeFocus() { liveCard.forceActiveFocus() }

    contentWidth: width
    contentHeight: Math.max(height, screen.implicitHeight)
    boundsBehavior: Flickable.StopAtBounds
    clip: true
    Keys.onPressed: (event) => event.accepted = KeyboardScroll.scroll(root, event.key)
    ScrollBar.vertical: ScrollBar {
        policy: root.contentHeight > root.height + 1 ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
    }

    ColumnLayout {
        id: screen
        anchors.fill: parent
        // The spaces around the card shrink to a margin before the screen scrolls.
        spacing: 0

        Item { Layout.fillHeight: true; Layout.minimumHeight: 16 }

        Rectangle {
            id: liveCard
            objectName: "liveCard"
            activeFocusOnTab: true
            Accessible.role: Accessible.Grouping
            Accessible.name: AccessibleTexts.liveCard(root.viewState.inspectingHeading, root.viewState.inspectionTargetName)
            Layout.alignment: Qt.AlignHCenter
            Layout.leftMargin: 36
            Layout.rightMargin: 36
            Layout.fillWidth: true
            Layout.maximumWidth: Math.min(760, card.implicitWidth + 2 * card.horizontalInset)
            implicitHeight: card.implicitHeight + 2 * card.verticalInset
            radius: 24
            color: Theme.white(0.085)
            border.color: Theme.white(0.18)
            border.width: 1

            FocusRing { targetRadius: 24 }

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

                Spinner {
                    Layout.alignment: Qt.AlignHCenter
                    implicitWidth: 32
                    implicitHeight: 32
                    scale: 1.15
                    running: root.visible
                    color: StatusPalette.green
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
                        color: Theme.white(1)
                        font.pixelSize: 26
                        font.weight: Font.DemiBold
                    }

                    Text {
                        objectName: "inspectionTargetName"
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignHCenter
                        text: root.viewState.inspectionTargetName
                        color: Theme.white(0.76)
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
                    objectName: "liveFootnote"
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 5
                    Layout.fillWidth: true
                    Layout.preferredWidth: 570
                    Layout.maximumWidth: 570
                    // Its lines balanced, so no word is left alone on the last one.
                    leftPadding: Math.max(0, (width - TextBalance.width(text, font, width)) / 2)
                    rightPadding: leftPadding
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: "Each stage turns green as it passes. Veristamp remains responsive while the release package is inspected."
                    color: Theme.white(0.62)
                    font.pixelSize: 12
                }
            }
        }

        Item { Layout.fillHeight: true; Layout.minimumHeight: 16 }
    }
}
