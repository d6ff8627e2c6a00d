#pragma once
// Inspects one .dmg: H1, C2, X1 and S2 on the image, then mounts it, inspects
// the first app on its volume (without progress reports) and detaches it.
// Every image it mounts is detached exactly once; nothing else is detached.

#include "engine/check_catalog.h"
#include "engine/release_tools.h"
#include "engine/stage_progress.h"

#include <QUrl>

// The live stages of an image's inspection, in the order it reaches them:
// its own checks, mounting, then the packaged app as one stage.
const QList<CheckDefinition> &diskImageStages();

InspectionResult inspectDiskImage(const QUrl &image, const ReleaseTools &tools, const StageProgress &progress = {});
