import QtQuick
import Veristamp

// Something said as it happens, drawn nowhere: a notification element whose
// name is the text, shown to screen readers anew for each new text (see
// AccessibleAnnouncement). Orca reads notifications that appear, whatever
// has the focus; it drops name changes of rows and labels.
Item {
    id: root

    property alias text: announcement.text

    // Never drawn, so never shown by a screen changing: only a new text shows it.
    visible: false

    Accessible.role: Accessible.Notification
    Accessible.name: announcement.text

    AccessibleAnnouncement {
        id: announcement
        target: root
    }
}
