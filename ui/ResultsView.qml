import QtQuick

// Placeholder until the results screen is drawn.
Item {
    id: root
    required property ContentViewState viewState

    Text {
        anchors.centerIn: parent
        text: "Results"
        color: "white"
    }
}
