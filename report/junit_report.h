#pragma once
// The run as JUnit XML, the format CI dashboards read: one testsuite per
// package, named after its file, one testcase per check (class name: the
// report's section heading, name: the check's title). FAIL is a failure whose
// message is the detail; WARN passes with the detail in system-out and a
// property status=WARN. A release set adds one suite with a case per value.
// UTF-8; characters XML 1.0 cannot carry become U+FFFD.

#include "report/evidence_records.h"

#include <QByteArray>

QByteArray junitXml(const RunEvidence &run);

// The text with every character XML 1.0 forbids replaced by U+FFFD.
QString xmlSafeText(const QString &text);
