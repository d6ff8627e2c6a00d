// The intake of a dropped package into a window's state: the order of the
// state's writes, the reset of "Check Another App or DMG", and the hand-over
// of a dropped URL. Which drops start a run: ui_shell_test.

#include "live/inspection_worker.h"
#include "test_doubles.h"
#include "ui/content_view_state.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

class PackageIntakeTest : public QObject {
    Q_OBJECT

    int m_beeps = 0;
    ManualClock m_clock{true};

    // Tools that answer at once and a clock that never waits: a run ends as soon as it starts.
    std::unique_ptr<ContentViewState> makeState()
    {
        auto state = std::make_unique<ContentViewState>();
        state->setReleaseTools(ReleaseTools{[](const ToolCall &) { return Shell::DataResult{0, {}, {}}; }});
        state->setPacingClock(&m_clock);
        state->setBeeper([this] { ++m_beeps; });
        return state;
    }

private slots:
    void cleanup()
    {
        QTRY_VERIFY(QCoreApplication::instance()->findChildren<InspectionWorker *>().isEmpty());
        m_beeps = 0;
    }

    // The result and the saved flag go before the new target shows; the reset keeps only the target's kind.
    void acceptingClearsTheLastRunFirstAndTheResetKeepsTheKind()
    {
        auto state = makeState();
        state->beginInspection(QUrl::fromLocalFile("/B/Example.app"));
        QTRY_VERIFY(state->hasInspection());
        state->setReleaseReportSaved(true);
        QStringList order;
        connect(state.get(), &ContentViewState::inspectionChanged, this, [&] { order << "inspection"; });
        connect(state.get(), &ContentViewState::releaseReportSavedChanged, this, [&] { order << "saved"; });
        connect(state.get(), &ContentViewState::inspectionTargetNameChanged, this, [&] { order << "name"; });
        connect(state.get(), &ContentViewState::isInspectingChanged, this, [&] { order << "inspecting"; });
        state->beginInspection(QUrl::fromLocalFile("/B/Example.dmg"));
        QCOMPARE(order, (QStringList{"inspection", "saved", "name", "inspecting"}));

        QTRY_VERIFY(state->hasInspection());
        state->setReleaseReportSaved(true);
        state->checkAnother();
        QCOMPARE(state->screen(), ContentViewState::Screen::landing);
        QVERIFY(!state->hasInspection() && !state->isInspecting() && !state->releaseReportSaved());
        QVERIFY(state->inspectionTargetName().isEmpty() && state->liveStages()->rowCount() == 0);
        QVERIFY(state->inspectionTargetIsDiskImage());
    }

    // An empty URL is dropped silently; a second drop while the first runs is ignored.
    void droppedUrlsReachTheIntakeLater()
    {
        auto state = makeState();
        state->receiveDroppedUrl(QUrl());
        state->receiveDroppedUrl(QUrl::fromLocalFile("/B/First.app"));
        state->receiveDroppedUrl(QUrl::fromLocalFile("/B/Second.dmg"));
        QVERIFY(!state->isInspecting());
        QTRY_VERIFY(state->hasInspection());
        QCOMPARE(state->inspectionTargetName(), QStringLiteral("First.app"));
        QCOMPARE(m_beeps, 0);
    }
};

QTEST_GUILESS_MAIN(PackageIntakeTest)
#include "package_intake_test.moc"
