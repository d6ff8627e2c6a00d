#pragma once
// One whole inspection of a package by its kind: the app inspector with the
// result assembled around it, or the disk image inspector. Shared by the
// window's paced run and the command-line check.

#include "engine/inspection_records.h"
#include "engine/release_tools.h"
#include "engine/stage_progress.h"

#include <QUrl>

InspectionResult inspectPackage(const QUrl &package, PackageKind kind, const ReleaseTools &tools,
                                const StageProgress &progress = {});
