#pragma once
// The state of one window: the eight fields every screen is drawn from, as
// properties with change signals. Written on the main thread only. Each
// window creates its own (ContentViewState { id: viewState }); closing the
// window discards it, and a run still under way then stops writing to it.

#include "engine/inspection_records.h"
#include "engine/package_intake.h"
#include "engine/release_tools.h"
#include "live/pacing_clock.h"
#include "ui/views/inspection_view.h"
#include "ui/views/live_stage_model.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

// What a refused package is told with: "“notes.txt” cannot be checked: ...".
QString packageRefusal(const QUrl &url);

class ContentViewState : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(bool isTargeted READ isTargeted WRITE setIsTargeted NOTIFY isTargetedChanged)
    Q_PROPERTY(bool isInspecting READ isInspecting NOTIFY isInspectingChanged)
    Q_PROPERTY(bool hasInspection READ hasInspection NOTIFY inspectionChanged)
    // The run's tools replayed answers recorded inside the package (a test or
    // demonstration run); the results screen says so.
    Q_PROPERTY(bool answersRecorded READ answersRecorded NOTIFY inspectionChanged)
    Q_PROPERTY(InspectionView *inspection READ inspectionView CONSTANT)
    Q_PROPERTY(QString inspectionTargetName READ inspectionTargetName NOTIFY inspectionTargetNameChanged)
    Q_PROPERTY(bool inspectionTargetIsDiskImage READ inspectionTargetIsDiskImage NOTIFY inspectionTargetKindChanged)
    // "Inspecting DMG…" or "Inspecting Application…", by the target kind.
    Q_PROPERTY(QString inspectingHeading READ inspectingHeading NOTIFY inspectionTargetKindChanged)
    Q_PROPERTY(LiveStageModel *liveStages READ liveStages CONSTANT)
    // Why the last package handed in was refused, shown and said beside the
    // beep (which a deaf or screen-reader user cannot tell apart); empty once
    // a package is taken.
    Q_PROPERTY(QString refusal READ refusal NOTIFY refusalChanged)
    Q_PROPERTY(bool releaseReportSaved READ releaseReportSaved NOTIFY releaseReportSavedChanged)
    Q_PROPERTY(bool showingAbout READ showingAbout WRITE setShowingAbout NOTIFY showingAboutChanged)
    // Which screen shows: isInspecting first, then a held result, else the landing screen.
    Q_PROPERTY(Screen screen READ screen NOTIFY screenChanged)
    // "Check Another App or DMG" shows only on the results screen.
    Q_PROPERTY(bool canCheckAnother READ canCheckAnother NOTIFY screenChanged)

public:
    enum class Screen { landing, liveInspection, results };
    Q_ENUM(Screen)

    explicit ContentViewState(QObject *parent = nullptr);
    ~ContentViewState() override;

    bool isTargeted() const;
    void setIsTargeted(bool targeted);
    bool isInspecting() const;
    bool answersRecorded() const { return m_tools.limits.replaysRecordedAnswers; }
    bool hasInspection() const;
    const std::optional<InspectionResult> &inspection() const;
    InspectionView *inspectionView() const;
    QString inspectionTargetName() const;
    PackageKind inspectionTargetKind() const;
    bool inspectionTargetIsDiskImage() const;
    QString inspectingHeading() const;
    LiveStageModel *liveStages() const;
    QString refusal() const;
    bool releaseReportSaved() const;
    void setReleaseReportSaved(bool saved);
    bool showingAbout() const;
    void setShowingAbout(bool showing);
    Screen screen() const;
    bool canCheckAnother() const;

    // The tools runs of this window use; the application's tool root unless a test sets its own.
    void setReleaseTools(const ReleaseTools &tools);
    // The clock runs of this window pace themselves by (not owned; nullptr
    // brings back the steady clock).
    void setPacingClock(PacingClock *clock);
    // The window draws this state: from now on each run's stages are timed
    // from when they are painted (screenPainted()), not from when they change.
    void setPacedByScreen(bool paced);
    // A frame of the window has been painted.
    void screenPainted();
    // The system alert sound of a refused drop; the platform's beep unless a test counts them.
    void setBeeper(std::function<void()> beeper);

    // The intake: a dropped item's URL, handed over asynchronously to beginInspection.
    Q_INVOKABLE void receiveDroppedUrl(const QUrl &url);
    Q_INVOKABLE void beginInspection(const QUrl &url);
    // "Check Another App or DMG": back to the landing screen with everything of the run cleared.
    Q_INVOKABLE void checkAnother();
    Q_INVOKABLE void showAbout();

signals:
    void refusalChanged();
    void isTargetedChanged();
    void isInspectingChanged();
    void inspectionChanged();
    void inspectionTargetNameChanged();
    void inspectionTargetKindChanged();
    void releaseReportSavedChanged();
    void showingAboutChanged();
    void screenChanged();

private:
    void setIsInspecting(bool inspecting);
    void setRefusal(const QString &refusal);
    void setInspection(const std::optional<InspectionResult> &result,
                       const std::optional<ForecastAttempt> &forecast = std::nullopt);
    void setInspectionTargetName(const QString &name);
    void setInspectionTargetKind(PackageKind kind);
    template <typename Change>
    void changeScreenState(Change change);
    void startRun(const AcceptedPackage &package);
    // Lets the run go: it ends on its own worker and writes nothing here.
    void detachRun();
    void updateLiveStage(int stageIndex, LiveStageStatus status);
    void publishResult(const InspectionResult &result, const ForecastAttempt &forecast);

    bool m_isTargeted = false;
    bool m_isInspecting = false;
    InspectionView *m_inspection;
    QString m_inspectionTargetName;
    PackageKind m_inspectionTargetKind = PackageKind::application;
    LiveStageModel *m_liveStages;
    bool m_releaseReportSaved = false;
    bool m_showingAbout = false;

    ReleaseTools m_tools;
    SteadyPacingClock m_steadyClock;
    PacingClock *m_clock = &m_steadyClock;
    std::function<void()> m_beeper;
    QPointer<QObject> m_pacer;
    QString m_refusal;
    bool m_pacedByScreen = false;
};
