#pragma once
// The file name proposed when a report is saved: the package's name made safe
// for a file name, the product tag, the moment and ".txt". A name, not a path.

#include "engine/inspection_records.h"
#include "report/report_folder.h"

#include <QDateTime>

// "Release: Beta" at 2024-03-09 14:05 gives "Release- Beta-Veristamp-2024-03-09-1405.txt":
// each run of the characters / : \ ? % * | " < > and of control characters
// (isHiddenControl) becomes one hyphen, runs at either end vanish, everything
// else (spaces included) stays as it is.
QString defaultReportFileName(const InspectionResult &result, const QDateTime &now);

// The same name in its two parts, for saving through saveIntoFolder.
ReportFileStem reportFileStem(const InspectionResult &result, const QDateTime &now);
