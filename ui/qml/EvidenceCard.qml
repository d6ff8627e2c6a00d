import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Veristamp

// Release evidence: the offer to save a timestamped report of this result,
// with the save button that turns into a disabled "Saved" once it is done.
// Cmd/Ctrl+S saves too.
Rectangle {
    id: root

    required property ContentViewState viewState

    // Once the report is saved the disabled button cannot hold the focus: the
    // card takes it, read as what was saved.
    activeFocusOnTab: !saver.canSave
    Accessible.role: Accessible.StaticText
    Accessible.name: saver.canSave ? "" : saver.savedAnnouncement
    implicitHeight: row.implicitHeight + 26
    radius: 14
    color: Theme.white(0.055)
    border.color: Theme.white(0.1)
    border.width: 1

    ReleaseReportSaver {
        id: saver
        objectName: "releaseReportSaver"
        viewState: root.viewState
        onReportSaved: root.forceActiveFocus()
    }

    AnnouncementNotice {
        objectName: "savedAnnouncement"
        text: saver.savedAnnouncement
    }

    FocusRing { targetRadius: 14 }

    // Qt 6.4's qmllint cannot resolve StandardKey, a value type's enum.
    Shortcut {
        sequences: [StandardKey.Save] // qmllint disable unqualified
        enabled: saver.canSave
        onActivated: saver.save()
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 13
        anchors.bottomMargin: 13
        spacing: 14

        Item {
            implicitWidth: 28
            implicitHeight: documentSymbol.height

            SymbolIcon {
                id: documentSymbol
                anchors.centerIn: parent
                name: "doc.text.fill"
                size: 17
                color: Theme.white(0.78)
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            spacing: 2

            Text {
                Layout.fillWidth: true
                text: "Release Evidence"
                elide: Text.ElideRight
                color: Theme.white(0.94)
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }

            Text {
                Layout.fillWidth: true
                text: "Save a timestamped record of this preflight inspection."
                wrapMode: Text.Wrap
                color: Theme.white(0.58)
                font.pixelSize: 11
                font.weight: Font.Medium
            }
        }

        Button {
            id: saveButton
            objectName: "saveReportButton"
            text: saver.buttonTitle
            enabled: saver.canSave
            focusPolicy: Qt.StrongFocus
            Accessible.name: text
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            // The prominent bordered style, filled in the accent colour; once
            // saved, a faint fill under a label still read at 4.5 : 1.
            leftPadding: 12
            rightPadding: 12
            topPadding: 5
            bottomPadding: 5
            onClicked: saver.save()

            contentItem: Row {
                spacing: 6

                SymbolIcon {
                    objectName: "saveReportSymbol"
                    anchors.verticalCenter: parent.verticalCenter
                    name: saver.buttonSymbol
                    size: 13
                    color: Theme.white(1)
                }

                Text {
                    objectName: "saveReportLabel"
                    anchors.verticalCenter: parent.verticalCenter
                    text: saveButton.text
                    color: Theme.white(saveButton.enabled ? 1 : 0.86)
                    font.pixelSize: 13
                }
            }

            background: Rectangle {
                implicitHeight: 24
                radius: 6
                color: !saveButton.enabled ? Theme.white(0.1)
                    : saveButton.down ? Qt.darker(saveButton.palette.highlight, 1.2) : saveButton.palette.highlight
            }

            FocusRing {}
        }
    }
}
