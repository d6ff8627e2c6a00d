#include "live/inspection_worker.h"

#include <QCoreApplication>

InspectionWorker *InspectionWorker::start(PackageInspectionCall inspection)
{
    auto *worker = new InspectionWorker(QCoreApplication::instance());
    worker->m_thread = std::thread([worker, inspection = std::move(inspection)] {
        InspectionResult result = inspection(
            [worker](int stageIndex, LiveStageStatus status) { worker->post(StageReport{stageIndex, status}); },
            worker->m_stop);
        worker->post(std::move(result));
    });
    return worker;
}

InspectionWorker::InspectionWorker(QObject *parent) : QObject(parent) {}

// Only the application object's end (or a finished run) gets here; an
// inspection still under way is stopped, and its detach let finish.
InspectionWorker::~InspectionWorker()
{
    if (!m_thread.joinable())
        return;
    m_stop.store(true);
    m_thread.join();
}

void InspectionWorker::post(Report report)
{
    {
        std::lock_guard lock(m_mutex);
        m_mailbox.push_back(std::move(report));
    }
    QMetaObject::invokeMethod(this, &InspectionWorker::deliver, Qt::QueuedConnection);
}

void InspectionWorker::deliver()
{
    std::vector<Report> reports;
    {
        std::lock_guard lock(m_mutex);
        reports.swap(m_mailbox);
    }
    for (Report &report : reports) {
        if (const auto *stage = std::get_if<StageReport>(&report)) {
            emit stageFinished(stage->stageIndex, stage->status);
            continue;
        }
        emit finished(std::get<InspectionResult>(report));
        // The result is the last report: the thread is ending.
        m_thread.join();
        deleteLater();
    }
}
