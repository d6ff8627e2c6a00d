#pragma once
// The run as one JSON document (schema: docs/veristamp-check.schema.json).
// Every verdict, summary, status, title and detail is the very string the
// text report prints, taken from the same functions, so the two cannot
// disagree; what the text shows as "Not found" or "Not declared" is null.

#include "report/evidence_records.h"

#include <QByteArray>
#include <QIODevice>

constexpr int kEvidenceSchemaVersion = 1;

// The document as indented UTF-8, written to the device as it is made: a
// detail as large as a tool's whole output is never copied whole. False when
// the device refused a write.
bool writeEvidenceJson(const RunEvidence &run, QIODevice *device);

// The same document in memory, for a package's own file.
QByteArray evidenceJson(const RunEvidence &run);

// The stable name of a check in the JSON: its title in lower case, each run
// of other characters as one hyphen ("Code signature" is "code-signature").
QString checkId(const QString &title);
