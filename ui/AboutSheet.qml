import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Shapes
import Veristamp

// The About sheet: a modal sheet over the window while viewState.showingAbout
// holds, 660 points wide and as high as its content. "Done" (or Return) closes
// it; nothing on it is selectable except the support address. In a window
// shorter than the sheet its content scrolls rather than being cut off.
Popup {
    id: root

    required property ContentViewState viewState

    objectName: "aboutSheet"
    parent: Overlay.overlay
    visible: viewState.showingAbout
    modal: true
    closePolicy: Popup.NoAutoClose
    width: 660
    height: Math.min(implicitHeight, parent.height)
    padding: 28
    x: Math.round((parent.width - width) / 2)
    y: Math.max(0, Math.round((parent.height - height) / 2))

    background: Rectangle {
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(0.125, 0.125, 0.125, 1) }
            GradientStop { position: 1.0; color: Qt.rgba(0.06, 0.06, 0.06, 1) }
        }

        Shape {
            anchors.fill: parent

            ShapePath {
                strokeColor: "transparent"
                fillGradient: LinearGradient {
                    x1: 0
                    y1: 0
                    x2: root.width
                    y2: root.height
                    GradientStop { position: 0.0; color: Qt.rgba(1, 1, 1, 0.025) }
                    GradientStop { position: 1.0; color: "transparent" }
                }
                PathLine { x: root.width; y: 0 }
                PathLine { x: root.width; y: root.height }
                PathLine { x: 0; y: root.height }
                PathLine { x: 0; y: 0 }
            }
        }
    }

    contentItem: Flickable {
        implicitHeight: sheetContent.implicitHeight
        contentHeight: sheetContent.implicitHeight
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        ColumnLayout {
            id: sheetContent
            width: root.availableWidth
            spacing: 0

            Shortcut {
                sequences: ["Return", "Enter"]
                enabled: root.opened
                onActivated: root.viewState.showingAbout = false
            }

            AboutHeader {
                Layout.fillWidth: true
                Layout.bottomMargin: 22
                onDone: root.viewState.showingAbout = false
            }

            AboutDivider { opacity: 0.09 }

            ColumnLayout {
                Layout.fillWidth: true
                Layout.topMargin: 20
                spacing: 20

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 7

                    Text {
                        text: "Know what you are actually shipping."
                        color: "white"
                        font.pixelSize: 21
                        font.weight: Font.DemiBold
                    }

                    Text {
                        objectName: "aboutStatement"
                        Layout.fillWidth: true
                        text: "Veristamp inspects the final macOS release artifact \u2014 the .app or .dmg that will actually reach the user. It verifies the package itself, not just the source project or build pipeline."
                        wrapMode: Text.Wrap
                        color: Qt.rgba(1, 1, 1, 0.72)
                        font.pixelSize: 13
                    }
                }

                AboutCheckAreas {
                    Layout.fillWidth: true
                }

                AboutVersionCard {
                    Layout.fillWidth: true
                }

                AboutDivider { opacity: 0.08 }

                AboutFooter {
                    Layout.fillWidth: true
                }
            }
        }
    }

    component AboutHeader: RowLayout {
        id: header

        signal done()

        spacing: 18

        Rectangle {
            implicitWidth: 72
            implicitHeight: 72
            radius: 18
            color: Qt.rgba(1, 1, 1, 0.08)
            border.color: Qt.rgba(1, 1, 1, 0.14)
            border.width: 1

            SymbolIcon {
                anchors.centerIn: parent
                name: "checkmark.seal.fill"
                size: 37
            }
        }

        TitleBlock {
            titleSize: 29
            subtitleSize: 14
            subtitleOpacity: 0.62
            spacing: 4
        }

        Item { Layout.fillWidth: true }

        ColumnLayout {
            spacing: 5

            AboutCaption {
                Layout.alignment: Qt.AlignRight
                text: "RELEASE INSPECTION"
                color: Qt.rgba(1, 1, 1, 0.42)
                font.pixelSize: 9
                font.letterSpacing: 1.4
            }

            AboutCaption {
                Layout.alignment: Qt.AlignRight
                text: "APP + DMG"
                color: StatusPalette.green
                font.pixelSize: 11
            }
        }

        // The default button of the sheet; Return closes it through the sheet's shortcut.
        Button {
            id: doneButton
            objectName: "aboutDoneButton"
            text: "Done"
            leftPadding: 14
            rightPadding: 14
            topPadding: 5
            bottomPadding: 5
            onClicked: header.done()

            contentItem: Text {
                text: doneButton.text
                color: "white"
                font.pixelSize: 13
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }

            background: Rectangle {
                implicitHeight: 24
                radius: 6
                color: doneButton.down ? Qt.darker(doneButton.palette.highlight, 1.2) : doneButton.palette.highlight
            }
        }
    }

    component AboutFooter: RowLayout {
        ColumnLayout {
            Layout.alignment: Qt.AlignBottom
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            spacing: 5

            Text {
                text: "Quillmere"
                color: Qt.rgba(1, 1, 1, 0.92)
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }

            Text {
                Layout.fillWidth: true
                text: "Designed for clarity, confidence, and understanding at the point of release."
                wrapMode: Text.Wrap
                color: Qt.rgba(1, 1, 1, 0.55)
                font.pixelSize: 12
            }

            TextEdit {
                objectName: "supportAddress"
                text: AboutContent.supportAddress
                readOnly: true
                selectByMouse: true
                color: Qt.rgba(1, 1, 1, 0.48)
                selectionColor: Qt.rgba(1, 1, 1, 0.25)
                font.family: Typography.monospacedFamily
                font.pixelSize: 11
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignBottom
            spacing: 4

            AboutCaption {
                Layout.alignment: Qt.AlignRight
                text: "VERISTAMP"
                color: Qt.rgba(1, 1, 1, 0.34)
                font.pixelSize: 9
                font.letterSpacing: 1.2
            }

            Text {
                Layout.alignment: Qt.AlignRight
                text: "Release Preflight"
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 11
                font.weight: Font.Medium
            }
        }
    }
}
