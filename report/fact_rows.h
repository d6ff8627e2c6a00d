#pragma once
// The facts of a result as labelled values, in the order both the report and
// the results screen list them, with the placeholders of missing values:
// "Not found", except the minimum system version, "Not declared". The report
// prints each as "Label: value", the screen as a row.

#include "engine/inspection_records.h"

#include <QList>
#include <QString>

// What a missing value reads, here and in the release set: "Not found".
QString notFoundText();

struct FactRow {
    QString label;
    QString value;
};

// Type, Name, Source (the path, only when asked for: the screen's header
// shows it instead), Extension (lower case) and Size.
QList<FactRow> packageFacts(const InspectionResult &result, bool withSource);

// Bundle Identifier, Version, Build, Minimum macOS, Executable.
QList<FactRow> applicationMetadata(const AppInspection &app);

// App, Bundle Identifier, Version, Build.
QList<FactRow> packagedApplicationFacts(const AppInspection &app);
