#pragma once
// The plain-text release report: a fixed English layout that records the
// verdict, the package facts and every check with its finding. Lines end in a
// single line feed, the last one included. Building it never fails and writes
// nothing; saving it is report_saving's business.

#include "engine/inspection_records.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

// The report as of `now`, whose zone or offset is the one printed after "Generated: ".
QString releaseReportText(const InspectionResult &result, const QDateTime &now);

// The same report as UTF-8, made without a whole UTF-16 copy of it: a detail
// can be a tool's entire output.
QByteArray releaseReportUtf8(const InspectionResult &result, const QDateTime &now);

// The headings above the three check lists: "RELEASE PREFLIGHT",
// "DMG PREFLIGHT" and "PACKAGED APP PREFLIGHT".
QString applicationChecksHeading();
QString diskImageChecksHeading();
QString packagedAppChecksHeading();
