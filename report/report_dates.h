#pragma once
// The two date renderings of the release report, fixed to the POSIX English
// conventions whatever the user's locale. Each moment is printed in the zone
// or offset it carries, so callers (and tests) choose the clock and the zone.

#include <QDateTime>
#include <QString>

// "2024-03-09 14:05:07 GMT+05:30"; "GMT" alone at offset zero.
QString reportTimestampText(const QDateTime &moment);

// "2024-03-09-1405", for the proposed file name.
QString reportFileNameDateText(const QDateTime &moment);

// The long GMT offset: "GMT", "GMT+05:30", "GMT-08:00"; seconds are added
// (":ss") only for the odd historical offset that has them.
QString longGmtOffsetText(int offsetSeconds);
