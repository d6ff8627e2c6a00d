import QtQuick
import QtQuick.Layouts
import Veristamp

// The drop target: the dashed zone with its invitation, and 40 points beside
// it on each side that take drops as well. DropRules decides which drags are
// welcome and hands a drop's package to the intake. The zone is also a
// button: a click, Enter or Space shows the open panel ("Open…").
DropArea {
    id: root

    required property ContentViewState viewState
    readonly property real sideStrip: 40
    readonly property real minimumZoneHeight: content.implicitHeight + 2 * content.inset

    property real fillOpacity: 0.075
    property real strokeOpacity: 0.32

    states: State {
        when: root.viewState.isTargeted
        PropertyChanges { target: root; fillOpacity: 0.13; strokeOpacity: 0.72 }
    }

    onEntered: (drag) => drag.accepted = DropRules.accepts(drag.urls)
    onDropped: (drop) => drop.accepted = DropRules.deliver(drop.urls, root.viewState)

    Binding {
        target: root.viewState
        property: "isTargeted"
        value: root.containsDrag
    }

    function takeFocus() { zone.forceActiveFocus() }

    // A button to the keyboard and screen readers; a left click (a right one
    // is the window's menu) opens the panel too.
    Item {
        id: zone
        objectName: "dropZone"
        anchors.fill: parent
        anchors.leftMargin: root.sideStrip
        anchors.rightMargin: root.sideStrip
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: AccessibleTexts.dropZone
        Accessible.onPressAction: zone.choosePackage()
        Keys.onReturnPressed: choosePackage()
        Keys.onEnterPressed: choosePackage()
        Keys.onSpacePressed: choosePackage()

        function choosePackage() { AppCommands.openPackage(Window.window) }

        TapHandler { onTapped: zone.choosePackage() }
        HoverHandler { cursorShape: Qt.PointingHandCursor }
        FocusRing { targetRadius: 24 }

        Rectangle {
            objectName: "dropZoneFill"
            anchors.fill: parent
            radius: 24
            color: Theme.white(root.fillOpacity)
        }

        // The stroke is centred on the zone's edge.
        DashedBorder {
            objectName: "dropZoneStroke"
            anchors.fill: parent
            anchors.margins: -strokeWidth / 2
            color: Theme.white(root.strokeOpacity)
            strokeWidth: 2
            radius: 24
            dashPattern: [5, 3.5] // 10 points drawn, 7 apart, in stroke widths
        }

        ColumnLayout {
            id: content
            readonly property real inset: 34
            anchors.centerIn: parent
            width: parent.width - 2 * inset
            spacing: 17

            SymbolIcon {
                Layout.alignment: Qt.AlignHCenter
                name: "shippingbox.and.arrow.backward.fill"
                size: 52
                color: Theme.white(0.9)
            }

            Text {
                Layout.alignment: Qt.AlignHCenter
                Layout.maximumWidth: TextBalance.width(text, font, content.width)
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: "Drop an app or DMG here"
                color: Theme.white(1)
                font.pixelSize: 23
                font.weight: Font.DemiBold
            }

            Text {
                Layout.alignment: Qt.AlignHCenter
                Layout.maximumWidth: TextBalance.width(text, font, content.width)
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: "Veristamp will identify the package and begin its release preflight."
                color: Theme.white(0.72)
                font.pixelSize: 14
            }

            Row {
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 4
                spacing: 8

                ExtensionBadge { text: ".app" }
                ExtensionBadge { text: ".dmg" }
            }
        }
    }

    component ExtensionBadge: Rectangle {
        property alias text: label.text

        implicitWidth: label.implicitWidth + 24
        implicitHeight: label.implicitHeight + 12
        radius: height / 2
        color: Theme.white(0.13)

        Text {
            id: label
            anchors.centerIn: parent
            color: Theme.white(0.9)
            font.pixelSize: 12
            font.weight: Font.DemiBold
            font.family: Typography.monospacedFamily
        }
    }
}
