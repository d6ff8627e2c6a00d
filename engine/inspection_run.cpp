#include "engine/inspection_run.h"

#include "engine/live_stages.h"
#include "engine/main_thread_handover.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <utility>

namespace {

// The private state of one run, touched only on the run's worker.
class PacedRun {
public:
    PacedRun(int stageCount, PacingClock clock, std::shared_ptr<LiveRunLink> link)
        : m_lastStageIndex(std::max(stageCount - 1, 0)), m_clock(std::move(clock)), m_link(std::move(link)),
          m_lastChange(m_clock.now())
    {
    }

    // The StageProgress of the run. The final stage is never shown before the
    // inspection has returned; a later report for it replaces an earlier one.
    void report(int stageIndex, LiveStageStatus status)
    {
        if (!m_following)
            return;
        if (stageIndex == m_lastStageIndex) {
            m_deferredFinalStatus = status;
            return;
        }
        waitOutMinimumStageTime();
        applyOnMainThread(stageIndex, status);
        m_lastChange = m_clock.now();
    }

    void finish(InspectionResult result)
    {
        if (!m_following)
            return;
        waitOutMinimumStageTime();
        if (m_deferredFinalStatus)
            applyOnMainThread(m_lastStageIndex, *m_deferredFinalStatus);
        if (!m_following)
            return;
        m_clock.sleep(resultHoldTime);
        postToMainThread([link = m_link, result = std::move(result)] {
            if (link->attached)
                link->publishResult(result);
        });
    }

private:
    void waitOutMinimumStageTime()
    {
        const std::chrono::nanoseconds elapsed = m_clock.now() - m_lastChange;
        if (elapsed < minimumStageTime)
            m_clock.sleep(minimumStageTime - elapsed);
    }

    // A window that went away, or an application shutting down, ends the
    // following: the run then stops pacing and writing.
    void applyOnMainThread(int stageIndex, LiveStageStatus status)
    {
        m_following = runOnMainThreadAndWait([link = m_link, stageIndex, status] {
            if (!link->attached)
                return false;
            link->updateLiveStage(stageIndex, status);
            return true;
        });
    }

    const int m_lastStageIndex;
    const PacingClock m_clock;
    const std::shared_ptr<LiveRunLink> m_link;
    std::chrono::nanoseconds m_lastChange;
    std::optional<LiveStageStatus> m_deferredFinalStatus;
    bool m_following = true;
};

} // namespace

PacingClock steadyPacingClock()
{
    return PacingClock{
        [] { return std::chrono::steady_clock::now().time_since_epoch(); },
        [](std::chrono::nanoseconds duration) { std::this_thread::sleep_for(duration); },
    };
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

void runInspection(PackageInspectionCall inspection, int stageCount, PacingClock clock,
                   std::shared_ptr<LiveRunLink> link)
{
    prepareMainThreadHandOver();
    std::function<void()> work = [inspection = std::move(inspection), stageCount, clock = std::move(clock),
                                  link = std::move(link)] {
        PacedRun run(stageCount, clock, link);
        InspectionResult result =
            inspection([&run](int stageIndex, LiveStageStatus status) { run.report(stageIndex, status); });
        run.finish(std::move(result));
    };
    startOnWorker(std::move(work));
}
