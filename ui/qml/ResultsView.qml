import QtQuick
import QtQuick.Layouts
import Veristamp

// The results screen: verdict banner, release evidence card, package header,
// then the sections the result decides, in one column that scrolls as a whole.
Item {
    id: root

    required property ContentViewState viewState
    readonly property InspectionView inspection: viewState.inspection

    implicitHeight: content.item ? content.implicitHeight + 56 : 0

    // When the content below is built and dropped; the results screen is the
    // one that offers "Check Another App or DMG".
    onVisibleChanged: content.active = root.visible || (content.active && root.viewState.canCheckAnother)
    Component.onCompleted: content.active = root.visible

    Connections {
        target: root.viewState
        function onScreenChanged() {
            if (!root.visible && !root.viewState.canCheckAnother)
                content.active = false
        }
    }

    function takeFocus() {
        if (content.item)
            content.forceActiveFocus()
    }

    // Built each time the screen is shown: Qt Quick Layouts keep the sizes
    // they measured while hidden, so a result that arrives behind the live
    // screen would otherwise be laid out with stale widths. Kept while the
    // About sheet hides every screen, so closing it neither says the verdict
    // again nor loses the focus and scroll position. qmllint calls the
    // column's uses of root unqualified; its cure, pragma ComponentBehavior:
    // Bound, makes Qt 6.4's Loader refuse the component.
    Loader {
        id: content
        x: 28
        y: 28
        width: root.width - 56
        active: false

        sourceComponent: ColumnLayout {
            spacing: 22

            // The Loader is a focus scope: taking the screen's focus lands here.
            VerdictBanner {
                objectName: "verdictBanner"
                focus: true
                Layout.fillWidth: true
                inspection: root.inspection // qmllint disable unqualified
            }

            Text {
                objectName: "recordedAnswersNotice"
                visible: root.viewState.answersRecorded // qmllint disable unqualified
                Layout.fillWidth: true
                text: "Recorded answers: these findings replay answers recorded inside the package, "
                      + "switched on for a test or demonstration. They are not a judgement of the package."
                wrapMode: Text.Wrap
                color: Theme.white(0.86)
                font.pixelSize: 12
                font.weight: Font.Medium
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            EvidenceCard {
                objectName: "evidenceCard"
                Layout.fillWidth: true
                viewState: root.viewState // qmllint disable unqualified
            }

            PackageHeader {
                objectName: "packageHeader"
                Layout.fillWidth: true
                inspection: root.inspection // qmllint disable unqualified
            }

            Repeater {
                objectName: "sections"
                model: root.inspection.sections // qmllint disable unqualified

                ResultSection {
                    Layout.fillWidth: true
                }
            }
        }
    }
}
