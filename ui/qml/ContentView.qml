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
    // Hiding the screens takes the focus from them: the sheet gives it back as it closes.
    property Item focusBehindSheet: null

    function checkAnother() {
        resetFade.restart()
        root.viewState.checkAnother()
    }

    // Later, once the screen's content exists; never from under the About sheet.
    function focusScreen() {
        if (!root.viewState.showingAbout)
            [landing, live.item, results.item][screens.currentIndex].takeFocus()
    }

    function isBehindSheet(item: Item): bool {
        for (let at = item; at !== null; at = at.parent) {
            if (at === behindSheet)
                return true
        }
        return false
    }

    Component.onCompleted: focusScreen()

    // The scroll keys reach the screen from the top bar too.
    Keys.onPressed: (event) => event.accepted = KeyboardScroll.scroll([null, live.item, resultsScroll.contentItem][screens.currentIndex], event.key)

    // Whatever takes the focus is scrolled into view.
    Connections {
        target: root.Window.window
        function onActiveFocusItemChanged() {
            const focused = root.Window.window.activeFocusItem
            KeyboardScroll.reveal([resultsScroll.contentItem, live.item], focused)
            if (root.isBehindSheet(focused))
                root.focusBehindSheet = focused
        }
    }

    // The screens. While the About sheet is up they are hidden and a picture
    // of them shows instead (sheetPicture): hidden, they offer a screen reader
    // none of their controls, which Qt 6.4 would otherwise still give as
    // reachable behind the modal sheet (it tells a reader neither of a
    // popup's modality nor of `enabled: false`).
    Item {
        id: behindSheet
        objectName: "behindSheet"
        anchors.fill: parent

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
    }

    Image {
        id: sheetPicture
        objectName: "sheetPicture"

        // Keeps the picture's image alive while it shows.
        property var grab: null

        Accessible.ignored: true
        visible: !behindSheet.visible
        cache: false
        smooth: false
    }

    // Taken while the screens still show, at the screen's pixel density; a
    // sheet closed before the picture arrives leaves the screens as they are.
    function pictureScreens() {
        const density = Screen.devicePixelRatio
        behindSheet.grabToImage((result) => {
            if (!root.viewState.showingAbout)
                return
            sheetPicture.grab = result
            sheetPicture.width = behindSheet.width
            sheetPicture.height = behindSheet.height
            sheetPicture.source = result.url
            behindSheet.visible = false
        }, Qt.size(Math.ceil(behindSheet.width * density), Math.ceil(behindSheet.height * density)))
    }

    Connections {
        target: root.viewState
        function onShowingAboutChanged() {
            if (root.viewState.showingAbout) {
                root.pictureScreens()
                return
            }
            behindSheet.visible = true
            sheetPicture.grab = null
            sheetPicture.source = ""
        }
    }

    // A window resized under the sheet: the screens laid out anew and pictured again.
    onWidthChanged: repicture.restart()
    onHeightChanged: repicture.restart()
    Timer {
        id: repicture
        interval: 120
        onTriggered: {
            if (!root.viewState.showingAbout)
                return
            behindSheet.visible = true
            root.pictureScreens()
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
        id: sheet
        objectName: "aboutSheetLoader"
        active: root.viewState.showingAbout || item !== null
        Component.onCompleted: setSource("AboutSheet.qml", { viewState: root.viewState })
    }

    Connections {
        target: sheet.item
        ignoreUnknownSignals: true
        function onClosed() {
            if (root.focusBehindSheet !== null && !root.viewState.showingAbout)
                root.focusBehindSheet.forceActiveFocus()
        }
    }

    Connections {
        target: AppCommands
        function onShowAboutRequested() { root.viewState.showAbout() }
    }
}
