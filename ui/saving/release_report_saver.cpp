#include "ui/saving/release_report_saver.h"

#include "ui/saving/report_dialogs.h"
#include "ui/views/content_view_state.h"
#include "report/report_folder.h"

#include <QStandardPaths>

ReleaseReportSaver::ReleaseReportSaver(QObject *parent)
    : QObject(parent),
      m_platformDialogs(std::make_unique<WidgetReportSaveDialogs>()),
      m_dialogs(m_platformDialogs.get()),
      m_clock(&QDateTime::currentDateTime)
{
}

ReleaseReportSaver::~ReleaseReportSaver() = default;

ContentViewState *ReleaseReportSaver::viewState() const
{
    return m_viewState;
}

void ReleaseReportSaver::setViewState(ContentViewState *state)
{
    if (m_viewState == state)
        return;
    if (m_viewState)
        disconnect(m_viewState, nullptr, this, nullptr);
    m_viewState = state;
    if (state)
        connect(state, &ContentViewState::releaseReportSavedChanged, this, &ReleaseReportSaver::savedChanged);
    emit viewStateChanged();
    emit savedChanged();
}

QString ReleaseReportSaver::buttonTitle() const
{
    return saveButtonTitle(saved());
}

QString ReleaseReportSaver::buttonSymbol() const
{
    return saveButtonSymbol(saved());
}

bool ReleaseReportSaver::canSave() const
{
    return !saved();
}

QString ReleaseReportSaver::savedAnnouncement() const
{
    return saved() ? m_savedAnnouncement : QString();
}

void ReleaseReportSaver::save()
{
    if (!m_viewState || saved())
        return;
    const std::optional<InspectionResult> &shown = m_viewState->inspectionView()->result();
    if (!shown)
        return;
    // A copy: the modal dialogs run the event loop, and the window's result
    // must not change under the save that was asked for.
    const InspectionResult result = *shown;
    const QString package = result.url.toLocalFile();
    m_platformDialogs->setStartFolder(
        proposedReportFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), package));
    PackageGuardedDialogs guarded(*m_dialogs, package);
    if (!saveReleaseReport(result, guarded, m_clock) || !m_viewState)
        return;
    m_savedAnnouncement = reportSavedAnnouncement(guarded.chosen());
    m_viewState->setReleaseReportSaved(true);
    emit reportSaved();
}

void ReleaseReportSaver::setDialogs(ReportSaveDialogs *dialogs)
{
    m_dialogs = dialogs ? dialogs : m_platformDialogs.get();
}

void ReleaseReportSaver::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

bool ReleaseReportSaver::saved() const
{
    return m_viewState && m_viewState->releaseReportSaved();
}
