#pragma once
// The plain-text release report: a fixed English layout that records the
// verdict, the package facts and every check with its finding. Lines end in a
// single line feed, the last one included. Building it never fails and writes
// nothing; saving it is report_saving's business.

#include "engine/inspection_records.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

class ReportLines;

// The report as of `now`, whose zone or offset is the one printed after "Generated: ".
QString releaseReportText(const InspectionResult &result, const QDateTime &now);

// The report as of this moment in the system's time zone.
QString releaseReportText(const InspectionResult &result);

// The same report as UTF-8, made without a whole UTF-16 copy of it: a detail
// can be a tool's entire output.
QByteArray releaseReportUtf8(const InspectionResult &result, const QDateTime &now);

// The headings above the three check lists: "RELEASE PREFLIGHT",
// "DMG PREFLIGHT" and "PACKAGED APP PREFLIGHT".
QString applicationChecksHeading();
QString diskImageChecksHeading();
QString packagedAppChecksHeading();

// Two lines per check, in list order: "[PASS] Title", then four spaces and the
// detail. Names, details and entitlements are shown through visibleText, so no
// control character of theirs reaches the report and none can start a line.
void appendCheckLines(const QList<InspectionCheck> &checks, ReportLines &lines);
