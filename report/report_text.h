#pragma once
// The plain-text release report: a fixed English layout that records the
// verdict, the package facts and every check with its finding. Lines end in a
// single line feed, the last one included. Building it never fails and writes
// nothing; saving it is report_saving's business.

#include "engine/inspection_records.h"

#include <QDateTime>
#include <QStringList>

// The report as of `now`, whose zone or offset is the one printed after "Generated: ".
QString releaseReportText(const InspectionResult &result, const QDateTime &now);

// The report as of this moment in the system's time zone.
QString releaseReportText(const InspectionResult &result);

// The headings above the three check lists: "RELEASE PREFLIGHT",
// "DMG PREFLIGHT" and "PACKAGED APP PREFLIGHT".
QString applicationChecksHeading();
QString diskImageChecksHeading();
QString packagedAppChecksHeading();

// Two lines per check, in list order: "[PASS] Title", then four spaces and the
// detail. A detail's own line breaks are kept, so its later lines are not indented.
void appendCheckLines(const QList<InspectionCheck> &checks, QStringList &lines);
