import QtQuick
import QtQuick.Layouts
import Veristamp

// The version card of the About sheet: version and build as recorded, and
// what the program is for.
Rectangle {
    implicitHeight: versionRow.implicitHeight + 28
    radius: 14
    color: Theme.white(0.035)
    border.color: Theme.white(0.075)
    border.width: 1

    RowLayout {
        id: versionRow
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 14
        anchors.bottomMargin: 14
        spacing: 0

        VersionValue {
            label: "VERSION"
            value: AboutContent.version
        }

        Rectangle {
            Layout.leftMargin: 18
            Layout.rightMargin: 18
            implicitWidth: 1
            implicitHeight: 34
            color: Theme.white(0.08)
        }

        VersionValue {
            label: "BUILD"
            value: AboutContent.build
        }

        Item { Layout.fillWidth: true }

        ColumnLayout {
            spacing: 4

            AboutCaption {
                Layout.alignment: Qt.AlignRight
                text: "FINAL ARTIFACT CHECK"
                color: Theme.white(0.5)
                font.pixelSize: 9
                font.letterSpacing: 0.9
            }

            Text {
                Layout.alignment: Qt.AlignRight
                text: "Before distribution."
                color: Theme.white(0.7)
                font.pixelSize: 12
                font.weight: Font.Medium
            }
        }
    }

    component VersionValue: ColumnLayout {
        id: pair

        property string label
        property string value

        spacing: 4
        Accessible.role: Accessible.StaticText
        Accessible.name: AccessibleTexts.labelled(label, value)

        AboutCaption {
            text: pair.label
            color: Theme.white(0.5)
            font.pixelSize: 9
            font.letterSpacing: 1.0
        }

        Text {
            objectName: "versionValue:" + pair.label
            text: pair.value
            color: Theme.white(0.9)
            font.family: Typography.monospacedFamily
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
    }
}
