#pragma once
// The run as JUnit XML, the format CI dashboards read: one testsuite per
// package, named after its file, one testcase per check (class name: the
// report's section heading, name: the check's title). FAIL is a failure whose
// message is the detail; WARN passes with the detail in system-out and a
// property status=WARN. A release set adds one suite with a case per value.
// UTF-8; characters XML 1.0 cannot carry become U+FFFD.

#include "report/evidence_records.h"

#include <QByteArray>
#include <QIODevice>

// Written to the device as it is made; false when the device refused a write.
bool writeJunitXml(const RunEvidence &run, QIODevice *device);

// The same document in memory, for a package's own file.
QByteArray junitXml(const RunEvidence &run);
