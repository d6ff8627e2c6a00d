import QtQuick
import QtQuick.Layouts
import Veristamp

// The results screen: verdict banner, release evidence card, package header,
// then the sections the result decides, in one column that scrolls as a whole.
Item {
    id: root

    required property ContentViewState viewState
    readonly property InspectionView inspection: viewState.inspection

    implicitHeight: column.implicitHeight + 56

    ColumnLayout {
        id: column
        x: 28
        y: 28
        width: root.width - 56
        spacing: 22

        VerdictBanner {
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
