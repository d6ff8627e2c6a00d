#include "ui/views/content_view_state.h"

#include "engine/live_stages.h"
#include "engine/package_intake.h"
#include "engine/tool_root.h"
#include "forecast/package_forecast.h"
#include "live/live_run.h"

#include <QApplication>
#include <QMetaObject>

#include <memory>

namespace {
void systemBeep()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr)
        QApplication::beep();
}
} // namespace

ContentViewState::ContentViewState(QObject *parent)
    : QObject(parent), m_inspection(new InspectionView(this)), m_liveStages(new LiveStageModel(this)),
      m_tools(releaseToolsAt(defaultToolRoot())), m_beeper(systemBeep)
{
}

// A run still under way goes on to its end (a mounted image is still
// detached) but no longer writes here.
ContentViewState::~ContentViewState()
{
    detachRun();
}

bool ContentViewState::isTargeted() const
{
    return m_isTargeted;
}

void ContentViewState::setIsTargeted(bool targeted)
{
    if (m_isTargeted == targeted)
        return;
    m_isTargeted = targeted;
    emit isTargetedChanged();
}

bool ContentViewState::isInspecting() const
{
    return m_isInspecting;
}

bool ContentViewState::hasInspection() const
{
    return m_inspection->result().has_value();
}

const std::optional<InspectionResult> &ContentViewState::inspection() const
{
    return m_inspection->result();
}

InspectionView *ContentViewState::inspectionView() const
{
    return m_inspection;
}

QString ContentViewState::inspectionTargetName() const
{
    return m_inspectionTargetName;
}

PackageKind ContentViewState::inspectionTargetKind() const
{
    return m_inspectionTargetKind;
}

bool ContentViewState::inspectionTargetIsDiskImage() const
{
    return m_inspectionTargetKind == PackageKind::diskImage;
}

QString ContentViewState::inspectingHeading() const
{
    return inspectionTargetIsDiskImage() ? QStringLiteral("Inspecting DMG\u2026")
                                         : QStringLiteral("Inspecting Application\u2026");
}

LiveStageModel *ContentViewState::liveStages() const
{
    return m_liveStages;
}

bool ContentViewState::releaseReportSaved() const
{
    return m_releaseReportSaved;
}

void ContentViewState::setReleaseReportSaved(bool saved)
{
    if (m_releaseReportSaved == saved)
        return;
    m_releaseReportSaved = saved;
    emit releaseReportSavedChanged();
}

bool ContentViewState::showingAbout() const
{
    return m_showingAbout;
}

void ContentViewState::setShowingAbout(bool showing)
{
    if (m_showingAbout == showing)
        return;
    m_showingAbout = showing;
    emit showingAboutChanged();
}

ContentViewState::Screen ContentViewState::screen() const
{
    if (m_isInspecting)
        return Screen::liveInspection;
    if (hasInspection())
        return Screen::results;
    return Screen::landing;
}

bool ContentViewState::canCheckAnother() const
{
    return screen() == Screen::results;
}

void ContentViewState::setReleaseTools(const ReleaseTools &tools)
{
    m_tools = tools;
}

void ContentViewState::setPacingClock(PacingClock *clock)
{
    m_clock = clock ? clock : &m_steadyClock;
}

void ContentViewState::setBeeper(std::function<void()> beeper)
{
    m_beeper = std::move(beeper);
}

// Called from the drop handler; the URL may come from any thread, the state
// changes only on this object's (the main) thread, after the drop returned.
void ContentViewState::receiveDroppedUrl(const QUrl &url)
{
    if (url.isEmpty() || !url.isValid())
        return;
    QMetaObject::invokeMethod(this, [this, url] { beginInspection(url); }, Qt::QueuedConnection);
}

void ContentViewState::beginInspection(const QUrl &url)
{
    // The drop zone is gone while a run is under way, so a second intake can
    // only be two drops in quick succession: the first one keeps its run.
    if (m_isInspecting)
        return;
    const std::optional<AcceptedPackage> package = acceptPackage(url);
    if (!package) {
        if (m_beeper)
            m_beeper();
        setRefusal(packageRefusal(url));
        return;
    }
    setRefusal(QString());
    changeScreenState([&] {
        setInspection(std::nullopt);
        setReleaseReportSaved(false);
        setInspectionTargetName(lastPathComponent(package->location));
        setInspectionTargetKind(package->kind);
        QList<LiveInspectionStage> stages = makeLiveStages(package->kind);
        if (!stages.isEmpty())
            stages.first().status = LiveStageStatus::active;
        m_liveStages->setStages(stages);
        setIsInspecting(true);
    });
    startRun(*package);
}

QString ContentViewState::refusal() const
{
    return m_refusal;
}

void ContentViewState::setRefusal(const QString &refusal)
{
    if (m_refusal == refusal)
        return;
    m_refusal = refusal;
    emit refusalChanged();
}

QString packageRefusal(const QUrl &url)
{
    const QString name = url.isLocalFile() ? lastPathComponent(url) : url.toDisplayString();
    return QStringLiteral("\u201C%1\u201D cannot be checked: choose an app (.app) or a disk image (.dmg).").arg(name);
}

void ContentViewState::checkAnother()
{
    // Only the results screen offers the reset; should it come during a run
    // all the same, that run is let go so it cannot write into a later one.
    detachRun();
    changeScreenState([this] {
        setInspection(std::nullopt);
        setIsInspecting(false);
        setInspectionTargetName(QString());
        m_liveStages->setStages({});
        setReleaseReportSaved(false);
    });
}

void ContentViewState::showAbout()
{
    setShowingAbout(true);
}

void ContentViewState::setIsInspecting(bool inspecting)
{
    if (m_isInspecting == inspecting)
        return;
    m_isInspecting = inspecting;
    emit isInspectingChanged();
}

void ContentViewState::setInspection(const std::optional<InspectionResult> &result,
                                     const std::optional<ForecastAttempt> &forecast)
{
    if (!result && !hasInspection())
        return;
    m_inspection->setResult(result, forecast);
    emit inspectionChanged();
}

void ContentViewState::setInspectionTargetName(const QString &name)
{
    if (m_inspectionTargetName == name)
        return;
    m_inspectionTargetName = name;
    emit inspectionTargetNameChanged();
}

void ContentViewState::setInspectionTargetKind(PackageKind kind)
{
    if (m_inspectionTargetKind == kind)
        return;
    m_inspectionTargetKind = kind;
    emit inspectionTargetKindChanged();
}

// Several fields change in one step of the main thread; the screen is
// announced once, for where the step ends, never for a passing state.
template <typename Change>
void ContentViewState::changeScreenState(Change change)
{
    const Screen before = screen();
    change();
    if (screen() != before)
        emit screenChanged();
}

void ContentViewState::startRun(const AcceptedPackage &accepted)
{
    detachRun();
    auto *pacer = new StagePacer(int(m_liveStages->stages().size()), *m_clock, this,
                                 m_pacedByScreen ? StagePacer::Start::whenShown : StagePacer::Start::now);
    m_pacer = pacer;
    // The run reads the package's code for the forecast after its checks.
    auto forecast = std::make_shared<ForecastAttempt>();
    startLiveRun(pacer, accepted, m_tools, [accepted, forecast](const ReleaseTools &stoppable) {
        forecast->forecast = forecastFor(accepted, stoppable);
    });
    connect(pacer, &StagePacer::stageChanged, this, &ContentViewState::updateLiveStage);
    connect(pacer, &StagePacer::resultReady, this,
            [this, forecast](const InspectionResult &result) { publishResult(result, *forecast); });
}

void ContentViewState::setPacedByScreen(bool paced)
{
    m_pacedByScreen = paced;
}

void ContentViewState::screenPainted()
{
    if (auto *pacer = qobject_cast<StagePacer *>(m_pacer.data()))
        pacer->stagesShown();
}

void ContentViewState::detachRun()
{
    if (m_pacer) {
        m_pacer->disconnect(this);
        m_pacer->deleteLater();
    }
    m_pacer.clear();
}

void ContentViewState::updateLiveStage(int stageIndex, LiveStageStatus status)
{
    m_liveStages->setStages(::updateLiveStage(m_liveStages->stages(), stageIndex, status));
}

void ContentViewState::publishResult(const InspectionResult &result, const ForecastAttempt &forecast)
{
    detachRun();
    changeScreenState([&] {
        setInspection(result, forecast);
        setIsInspecting(false);
    });
}
