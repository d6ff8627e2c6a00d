#pragma once
// The two fixed live stage lists and the pacing constants of a live run.

#include "engine/inspection_records.h"

#include <QList>

#include <chrono>

// The least time between two applied stage changes, and between the start of
// a run and its first applied change, so every change stays readable.
inline constexpr std::chrono::milliseconds minimumStageTime{1350};
// The pause between the last stage change and the hand-over of the result.
inline constexpr std::chrono::milliseconds resultHoldTime{800};

// Five stages for an application, six for a disk image; each with a fresh
// random id and status pending.
QList<LiveInspectionStage> makeLiveStages(PackageKind kind);
