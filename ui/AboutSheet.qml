import QtQuick
import QtQuick.Controls

// Placeholder until the About sheet is drawn.
Popup {
    id: root
    required property ContentViewState viewState

    modal: true
    visible: viewState.showingAbout
    closePolicy: Popup.NoAutoClose
    anchors.centerIn: Overlay.overlay
    width: 660

    Button {
        text: "Done"
        onClicked: root.viewState.showingAbout = false
    }
}
