#pragma once
// The two fixed live stage lists, read off the inspectors' own stage checks.

#include "engine/inspection_records.h"

#include <QList>

// Five stages for an application, six for a disk image; each with a fresh
// random id and status pending.
QList<LiveInspectionStage> makeLiveStages(PackageKind kind);
