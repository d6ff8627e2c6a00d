#include "ui/access/accessibility_announcer.h"

// Elsewhere the name-change event is the announcement: the AT-SPI bridge
// passes it to the screen reader.
void requestSpokenAnnouncement(const QString &) {}
