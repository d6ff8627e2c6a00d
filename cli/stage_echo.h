#pragma once
// The live stages of one package as lines on a terminal: one line per stage
// as it finishes, "<package>: <stage title>: PASS|WARN|FAIL".

#include "engine/inspection_records.h"
#include "engine/stage_progress.h"

#include <QString>

#include <cstdio>

QString stageLine(const QString &packageName, const QString &stageTitle, LiveStageStatus status);

// A StageProgress writing those lines to the stream; titles come from the package kind's stage list.
StageProgress stageEcho(const QString &packageName, PackageKind kind, std::FILE *stream);
