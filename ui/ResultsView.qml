import QtQuick
import QtQuick.Layouts
import Veristamp

// The results screen: verdict banner, release evidence card, package header,
// then the sections the result decides, in one column that scrolls as a whole.
Item {
    id: root

    required property ContentViewState viewState
    readonly property InspectionView inspection: viewState.inspection

    implicitHeight: content.item ? content.item.implicitHeight + 56 : 0

    function takeFocus() {
        if (content.item)
            content.item.verdictBanner.forceActiveFocus()
    }

    // Built each time the screen is shown: Qt Quick Layouts keep the sizes
    // they measured while hidden, so a result that arrives behind the live
    // screen would otherwise be laid out with stale widths.
    Loader {
        id: content
        x: 28
        y: 28
        width: root.width - 56
        active: root.visible

        sourceComponent: ColumnLayout {
            readonly property alias verdictBanner: banner

            spacing: 22

            VerdictBanner {
                id: banner
                objectName: "verdictBanner"
                Layout.fillWidth: true
                inspection: root.inspection
            }

            EvidenceCard {
                objectName: "evidenceCard"
                Layout.fillWidth: true
                viewState: root.viewState
            }

            PackageHeader {
                objectName: "packageHeader"
                Layout.fillWidth: true
                inspection: root.inspection
            }

            Repeater {
                objectName: "sections"
                model: root.inspection.sections

                ResultSection {
                    Layout.fillWidth: true
                }
            }
        }
    }
}
