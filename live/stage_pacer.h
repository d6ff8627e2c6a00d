#pragma once
// The pacing of one live run, on the main thread: stage outcomes come in as
// fast as the inspection reports them and go out as stage changes, each at
// least minimumStageTime after the one before (the first after the start of
// the run). Paced by the screen, that time runs from when a change is first
// painted, not from when it was applied: the first stage's from the first
// frame of the live screen, however long the window takes to show it. The
// final stage's outcome waits for the result, so it never shows
// before the inspection has returned; the result follows the last change
// after resultHoldTime. Time is read from, and waits are made with, the
// given clock.

#include "engine/inspection_records.h"
#include "live/pacing_clock.h"

#include <QObject>

#include <chrono>
#include <deque>
#include <optional>

// The least time between two applied stage changes, and between the start of
// a run and its first applied change, so every change stays readable.
inline constexpr std::chrono::milliseconds minimumStageTime{1350};
// The pause between the last stage change and the hand-over of the result.
inline constexpr std::chrono::milliseconds resultHoldTime{800};

class StagePacer : public QObject {
    Q_OBJECT

public:
    enum class Start { now, whenShown };
    // stageCount is the length of the live stage list. `whenShown`: the run
    // starts at the first stagesShown(), and each change's time at the next
    // stagesShown() after it.
    StagePacer(int stageCount, PacingClock &clock, QObject *parent = nullptr, Start start = Start::now);

    void stageFinished(int stageIndex, LiveStageStatus status);
    // A frame showing the stages as last changed has been painted.
    void stagesShown();
    void inspectionFinished(const InspectionResult &result);

signals:
    void stageChanged(int stageIndex, LiveStageStatus status);
    void resultReady(const InspectionResult &result);

private:
    struct Change {
        int stageIndex;
        LiveStageStatus status;
    };

    // Applies what is due and sets a timer for what is not yet.
    void pump();
    void waitUntil(std::chrono::nanoseconds moment);

    const int m_lastStageIndex;
    PacingClock &m_clock;
    std::chrono::nanoseconds m_lastChange;
    const bool m_pacedByScreen;
    // The last change (or the run's start) is not on screen yet: its time has not begun.
    bool m_unshown;
    std::deque<Change> m_changes;
    // A later report for the final stage replaces an earlier one.
    std::optional<LiveStageStatus> m_finalStatus;
    std::optional<InspectionResult> m_result;
    std::optional<std::chrono::nanoseconds> m_publishAt;
    bool m_waiting = false;
};

// The rule of a stage change: an index outside the list changes nothing; a
// final status makes the next stage active if it is still pending.
QList<LiveInspectionStage> updateLiveStage(QList<LiveInspectionStage> stages, int stageIndex,
                                           LiveStageStatus status);
