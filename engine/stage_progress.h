#pragma once
// How an inspection reports a finished stage: once per stage, in stage order,
// with pass, warning or fail, before its next tool call starts.

#include "engine/inspection_records.h"

#include <functional>

using StageProgress = std::function<void(int stageIndex, LiveStageStatus status)>;
