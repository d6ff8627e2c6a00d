import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Veristamp

// The one view of a main window: the top bar, a divider and the screen the
// state selects (viewState.screen), plus the About sheet. The reset of "Check
// Another App or DMG" fades the landing screen in over 0.18 s. Each new
// screen takes the keyboard focus: the drop zone, the live card, the verdict.
// The live and results screens and the About sheet are made the first time
// they show, and kept: a window opens on the landing screen, and is on screen
// sooner for not building (or even compiling) what it does not show yet.
Item {
    id: root

    required property ContentViewState viewState
    property real windowButtonsWidth: 0

    function checkAnother() {
        resetFade.restart()
        root.viewState.checkAnother()
    }

    // Later, once the screen's content exists; never from under the About sheet.
    function focusScreen() {
        if (!root.viewState.showingAbout)
            [landing, live.item, results.item][screens.currentIndex].takeFocus()
    }

    Component.onCompleted: focusScreen()

    // The scroll keys reach the screen from the top bar too.
    Keys.onPressed: (event) => event.accepted = KeyboardScroll.scroll([null, live.item, resultsScroll.contentItem][screens.currentIndex], event.key)

    // Whatever takes the focus is scrolled into view.
    Connections {
        target: root.Window.window
        function onActiveFocusItemChanged() {
            KeyboardScroll.reveal([resultsScroll.contentItem, live.item], root.Window.window.activeFocusItem)
        }
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
            color: Theme.white(0.08)
        }

        // Children in the order of ContentViewState.Screen: landing, live, results.
        StackLayout {
            id: screens
            objectName: "screens"
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: root.viewState.screen
            // Qt 6.4's qmllint takes Qt.callLater for a property, not a method.
            onCurrentIndexChanged: Qt.callLater(root.focusScreen) // qmllint disable type

            LandingView {
                id: landing
                objectName: "landingView"
                viewState: root.viewState
            }

            Loader {
                id: live
                objectName: "liveInspectionView"
                active: screens.currentIndex === 1 || item !== null
                Component.onCompleted: setSource("LiveInspectionView.qml", { viewState: root.viewState })
            }

            ScrollView {
                id: resultsScroll
                objectName: "resultsScroll"
                contentWidth: availableWidth
                ScrollBar.vertical.policy: ScrollBar.AlwaysOn
                ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
                Keys.onPressed: (event) => event.accepted = KeyboardScroll.scroll(resultsScroll.contentItem, event.key)

                Loader {
                    id: results
                    width: resultsScroll.availableWidth
                    active: screens.currentIndex === 2 || item !== null
                    Component.onCompleted: setSource("ResultsView.qml", { objectName: "resultsView", viewState: root.viewState })
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

    Loader {
        objectName: "aboutSheetLoader"
        active: root.viewState.showingAbout || item !== null
        Component.onCompleted: setSource("AboutSheet.qml", { viewState: root.viewState })
    }

    Connections {
        target: AppCommands
        function onShowAboutRequested() { root.viewState.showAbout() }
    }
}
