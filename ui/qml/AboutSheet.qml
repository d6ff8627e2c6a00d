import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Veristamp

// The About sheet: a modal sheet over the window while viewState.showingAbout
// holds, 660 points wide and as high as its content. "Done" (or Return, or
// Escape) closes it; nothing on it is selectable except the support address.
// In a window shorter than the sheet the body scrolls under the header, with
// a scroll bar, so "Done" stays in view.
// A Dialog for its title: screen readers name the sheet by it (drawn nowhere).
Dialog {
    id: root

    required property ContentViewState viewState

    objectName: "aboutSheet"
    title: "About Veristamp"
    header: Item {}
    parent: Overlay.overlay
    visible: viewState.showingAbout
    modal: true
    closePolicy: Popup.NoAutoClose
    focus: true
    width: 660
    height: Math.min(implicitHeight, parent.height - 2 * margin)
    padding: 28
    x: Math.round((parent.width - width) / 2)
    y: Math.max(margin, Math.round((parent.height - height) / 2))

    // The window's edge shows around the sheet, however short the window.
    readonly property real margin: 12

    background: SheetBackground {}

    AccessibleNaming {
        target: root.contentItem.parent
        name: root.title
    }

    // The window behind dims, so the sheet stands out from it.
    Overlay.modal: Rectangle {
        color: Theme.scrim
    }

    // Built at once, not deferred: the sheet's parts refer to each other by id.
    contentItem: ColumnLayout { // qmllint disable deferred-property-id
        spacing: 0
        Keys.onPressed: (event) => event.accepted = KeyboardScroll.scroll(body, event.key)

        Shortcut {
            sequences: ["Return", "Enter", "Escape"]
            enabled: root.opened
            onActivated: root.viewState.showingAbout = false
        }

        AboutHeader {
            Layout.fillWidth: true
            Layout.bottomMargin: 22
            onDone: root.viewState.showingAbout = false
        }

        AboutDivider { opacity: 0.09 }

        Flickable {
            id: body
            objectName: "aboutBody"
            Layout.fillWidth: true
            Layout.fillHeight: true
            implicitHeight: contentHeight
            contentHeight: bodyColumn.implicitHeight + bodyColumn.y
            boundsBehavior: Flickable.StopAtBounds
            clip: true

            // In the sheet's right margin, shown while the body scrolls.
            ScrollBar.vertical: ScrollBar {
                objectName: "aboutScrollBar"
                parent: root.contentItem.parent
                x: root.width - root.rightPadding + 10
                y: root.topPadding + body.y
                height: body.height
                policy: body.contentHeight > body.height + 1 ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
            }

            ColumnLayout {
                id: bodyColumn
                y: 20
                width: body.width
                spacing: 20

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 7

                    Text {
                        Accessible.role: Accessible.Heading
                        Accessible.name: text
                        text: "Know what you are actually shipping."
                        color: Theme.white(1)
                        font.pixelSize: 21
                        font.weight: Font.DemiBold
                    }

                    Text {
                        objectName: "aboutStatement"
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                        Layout.fillWidth: true
                        text: "Veristamp inspects the final macOS release artifact \u2014 the .app or .dmg that will actually reach the user. It verifies the package itself, not just the source project or build pipeline."
                        wrapMode: Text.Wrap
                        color: Theme.white(0.72)
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
            color: Theme.white(0.08)
            border.color: Theme.white(0.14)
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
                color: Theme.white(0.5)
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
            focus: true
            focusPolicy: Qt.StrongFocus
            Accessible.name: text
            leftPadding: 14
            rightPadding: 14
            topPadding: 5
            bottomPadding: 5
            onClicked: header.done()

            contentItem: Text {
                text: doneButton.text
                color: Theme.white(1)
                font.pixelSize: 13
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }

            background: Rectangle {
                implicitHeight: 24
                radius: 6
                color: doneButton.down ? Qt.darker(doneButton.palette.highlight, 1.2) : doneButton.palette.highlight
            }

            FocusRing {}
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
                color: Theme.white(0.92)
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }

            Text {
                Layout.fillWidth: true
                text: "Designed for clarity, confidence, and understanding at the point of release."
                wrapMode: Text.Wrap
                color: Theme.white(0.55)
                font.pixelSize: 12
            }

            TextEdit {
                objectName: "supportAddress"
                Accessible.name: text
                Accessible.role: Accessible.EditableText
                Accessible.readOnly: true
                text: AboutContent.supportAddress
                readOnly: true
                selectByMouse: true
                color: Theme.white(0.48)
                selectionColor: Theme.selection
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
                color: Theme.white(0.5)
                font.pixelSize: 9
                font.letterSpacing: 1.2
            }

            Text {
                Layout.alignment: Qt.AlignRight
                text: "Release Preflight"
                color: Theme.white(0.5)
                font.pixelSize: 11
                font.weight: Font.Medium
            }
        }
    }
}
