#pragma once
// The run as one JSON document (schema: docs/veristamp-check.schema.json).
// Every summary, status, title and detail is the very string the text report
// prints, taken from the same functions, so the two cannot disagree; ids,
// kinds and verdicts are the fixed names consumers key on. What the text
// shows as "Not found" or "Not declared" is null.

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
