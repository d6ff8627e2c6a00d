#include "live/stage_pacer.h"

#include <algorithm>

StagePacer::StagePacer(int stageCount, PacingClock &clock, QObject *parent, Start start)
    : QObject(parent),
      m_lastStageIndex(std::max(stageCount - 1, 0)),
      m_clock(clock),
      m_lastChange(clock.now()),
      m_pacedByScreen(start == Start::whenShown),
      m_unshown(m_pacedByScreen)
{
}

void StagePacer::stagesShown()
{
    if (!m_unshown)
        return;
    m_unshown = false;
    m_lastChange = m_clock.now();
    pump();
}

void StagePacer::stageFinished(int stageIndex, LiveStageStatus status)
{
    if (stageIndex == m_lastStageIndex)
        m_finalStatus = status;
    else
        m_changes.push_back({stageIndex, status});
    pump();
}

void StagePacer::inspectionFinished(const InspectionResult &result)
{
    m_result = result;
    pump();
}

void StagePacer::pump()
{
    while (!m_waiting && !m_unshown) {
        const std::chrono::nanoseconds now = m_clock.now();
        if (m_publishAt) {
            if (now < *m_publishAt)
                return waitUntil(*m_publishAt);
            m_publishAt.reset();
            const InspectionResult result = std::move(*m_result);
            m_result.reset();
            emit resultReady(result);
            return;
        }
        if (m_changes.empty() && !m_result)
            return;
        // A change, or the closing of the run, waits out the time of the one before.
        const std::chrono::nanoseconds due = m_lastChange + minimumStageTime;
        if (now < due)
            return waitUntil(due);
        if (!m_changes.empty()) {
            const Change change = m_changes.front();
            m_changes.pop_front();
            emit stageChanged(change.stageIndex, change.status);
            m_lastChange = m_clock.now();
            m_unshown = m_pacedByScreen;
            continue;
        }
        if (m_finalStatus)
            emit stageChanged(m_lastStageIndex, *m_finalStatus);
        m_publishAt = m_clock.now() + resultHoldTime;
    }
}

void StagePacer::waitUntil(std::chrono::nanoseconds moment)
{
    m_waiting = true;
    m_clock.callAfter(moment - m_clock.now(), this, [this] {
        m_waiting = false;
        pump();
    });
}

QList<LiveInspectionStage> updateLiveStage(QList<LiveInspectionStage> stages, int stageIndex,
                                           LiveStageStatus status)
{
    if (stageIndex < 0 || stageIndex >= stages.size())
        return stages;
    stages[stageIndex].status = status;
    if (!isFinal(status))
        return stages;
    const int next = stageIndex + 1;
    if (next < stages.size() && stages[next].status == LiveStageStatus::pending)
        stages[next].status = LiveStageStatus::active;
    return stages;
}
