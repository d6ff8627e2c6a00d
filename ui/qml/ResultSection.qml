import QtQuick
import QtQuick.Layouts
import Veristamp

// One titled section of the results: its caption over a card holding fact
// rows, check rows, the entitlements block, forecast issues or pieces of
// code, as the section model decides.
ColumnLayout {
    id: root

    required property string title
    required property var facts
    required property var checks
    required property bool showsEntitlements
    required property string entitlementsMarkup
    required property var issues
    required property var code

    objectName: "section:" + title
    spacing: 0

    Text {
        objectName: "sectionTitle"
        Accessible.role: Accessible.Heading
        Accessible.name: text
        Layout.bottomMargin: 10
        text: root.title
        color: Theme.white(0.88)
        font.family: Typography.monospacedFamily
        font.pixelSize: 11
        font.weight: Font.Bold
        font.letterSpacing: 1.3
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: rows.implicitHeight
        radius: 16
        color: Theme.white(0.075)
        border.color: Theme.white(0.13)
        border.width: 1

        ColumnLayout {
            id: rows
            anchors.left: parent.left
            anchors.right: parent.right
            spacing: 0

            Repeater {
                model: root.facts

                FactRow {
                    required property var modelData
                    Layout.fillWidth: true
                    label: modelData.label
                    value: modelData.value
                }
            }

            Repeater {
                model: root.checks

                CheckRow {
                    required property var modelData
                    Layout.fillWidth: true
                    title: modelData.title
                    detail: modelData.detail
                    symbol: modelData.symbol
                    tint: modelData.color
                    badge: modelData.badge
                    badgeFill: modelData.badgeFill
                }
            }

            // The forecast's status stands apart from the issues under it.
            Rectangle {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                implicitHeight: 1
                visible: root.issues.length > 0
                color: Theme.white(0.1)
            }

            Repeater {
                model: root.issues

                ForecastIssueRow {
                    required property var modelData
                    Layout.fillWidth: true
                    message: modelData.message
                    path: modelData.path
                    architecture: modelData.architecture
                    fix: modelData.fix
                    symbol: modelData.symbol
                    tint: modelData.color
                    badge: modelData.badge
                    badgeFill: modelData.badgeFill
                    accessibleName: modelData.accessibleName
                }
            }

            Repeater {
                model: root.code

                NestedCodeRow {
                    required property var modelData
                    Layout.fillWidth: true
                    path: modelData.path
                    architectures: modelData.architectures
                    signature: modelData.signature
                    accessibleName: modelData.accessibleName
                }
            }

            EntitlementsBlock {
                Layout.fillWidth: true
                Layout.margins: 10
                visible: root.showsEntitlements
                markup: root.entitlementsMarkup
            }
        }
    }
}
