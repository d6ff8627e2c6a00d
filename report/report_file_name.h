#pragma once
// The file name proposed when a report is saved: the package's name made safe
// for a file name, the product tag, the moment and ".txt". A name, not a path.

#include "engine/inspection_records.h"

#include <QDateTime>

// "Release: Beta" at 2024-03-09 14:05 gives "Release- Beta-Veristamp-2024-03-09-1405.txt":
// each run of the characters / : \ ? % * | " < > becomes one hyphen, runs at
// either end vanish, everything else (spaces included) stays as it is.
QString defaultReportFileName(const InspectionResult &result, const QDateTime &now);
