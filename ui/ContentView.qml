import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Veristamp

// The one view of a main window: the top bar, a divider and the screen the
// state selects (viewState.screen), plus the About sheet. The reset of "Check
// Another App or DMG" fades the landing screen in over 0.18 s.
Item {
    id: root

    required property ContentViewState viewState
    property real windowButtonsWidth: 0

    function checkAnother() {
        resetFade.restart()
        root.viewState.checkAnother()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        TopBar {
            Layout.fillWidth: true
            viewState: root.viewState
            windowButtonsWidth: root.windowButtonsWidth
            onCheckAnotherClicked: root.checkAnother()
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Qt.rgba(1, 1, 1, 0.08)
        }

        // Children in the order of ContentViewState.Screen: landing, live, results.
        StackLayout {
            id: screens
            objectName: "screens"
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: root.viewState.screen

            LandingView {
                objectName: "landingView"
                viewState: root.viewState
            }

            LiveInspectionView {
                objectName: "liveInspectionView"
                viewState: root.viewState
            }

            ScrollView {
                id: resultsScroll
                objectName: "resultsScroll"
                contentWidth: availableWidth
                ScrollBar.vertical.policy: ScrollBar.AlwaysOn
                ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

                ResultsView {
                    objectName: "resultsView"
                    width: resultsScroll.availableWidth
                    viewState: root.viewState
                }
            }
        }
    }

    NumberAnimation {
        id: resetFade
        target: screens
        property: "opacity"
        from: 0
        to: 1
        duration: 180
        easing.type: Easing.InOutQuad
    }

    AboutSheet {
        viewState: root.viewState
    }

    Connections {
        target: AppCommands
        function onShowAboutRequested() { root.viewState.showAbout() }
    }
}
