#pragma once
// Carries out one inspection on a thread of its own and hands what it finds
// to the main thread: each stage's outcome as it is reported, then the
// result. The thread never waits for the main thread.
//
// The worker belongs to the application object, not to the window that
// started it: a window that closes, or a reset, only stops listening, and
// the inspection still runs to its end, so an image it mounted is detached.
// When the application object goes, it raises the inspection's stop, as an
// interruption does for the command line (the tool that runs is ended, no
// other starts, a detach still runs), and waits for the inspection to end.

#include "engine/inspection_records.h"
#include "engine/stage_progress.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

// `stop` lives as long as the inspection: run the tools under it (stoppedBy).
using PackageInspectionCall =
    std::function<InspectionResult(const StageProgress &progress, const std::atomic<bool> &stop)>;

class InspectionWorker : public QObject {
    Q_OBJECT

public:
    // Starts the inspection at once. Call on the main thread; the worker
    // deletes itself once it has handed over the result.
    static InspectionWorker *start(PackageInspectionCall inspection);
    ~InspectionWorker() override;

signals:
    // Emitted on the main thread, in the order the inspection reported them.
    void stageFinished(int stageIndex, LiveStageStatus status);
    void finished(const InspectionResult &result);

private:
    struct StageReport {
        int stageIndex;
        LiveStageStatus status;
    };
    using Report = std::variant<StageReport, InspectionResult>;

    explicit InspectionWorker(QObject *parent);
    // On the inspection's thread: files the report and asks the main thread to deliver it.
    void post(Report report);
    // On the main thread: emits every report filed so far.
    void deliver();

    // Reports cross from the inspection's thread to the main thread here.
    std::mutex m_mutex;
    std::vector<Report> m_mailbox;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
