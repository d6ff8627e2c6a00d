// The intake of dropped packages into a window's state, off the window: the
// hand-over of a dropped URL, what a new package clears, and the reset of
// "Check Another App or DMG". Which drops start a run: ui_shell_test.

#include "live/inspection_worker.h"
#include "test_doubles.h"
#include "ui/content_view_state.h"

#include <QCoreApplication>
#include <QTest>

class PackageIntakeTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QCoreApplication::instance()->findChildren<InspectionWorker *>().isEmpty()); }

    // An empty URL is dropped silently and a second drop while the first runs
    // is ignored; a new package clears the last result and its saved report;
    // the reset clears everything of the run but the target's kind.
    void dropsRunsAndResets()
    {
        ManualClock clock(true); // tools that answer at once, a clock that never waits: a run ends as it starts
        ContentViewState state;
        state.setReleaseTools(ReleaseTools{[](const ToolCall &) { return Shell::DataResult{0, {}, {}}; }});
        state.setPacingClock(&clock);
        state.receiveDroppedUrl(QUrl());
        state.receiveDroppedUrl(QUrl::fromLocalFile("/B/First.app"));
        state.receiveDroppedUrl(QUrl::fromLocalFile("/B/Second.dmg"));
        QVERIFY(!state.isInspecting()); // handed over later
        QTRY_VERIFY(state.hasInspection());
        QCOMPARE(state.inspectionTargetName(), QStringLiteral("First.app"));

        state.setReleaseReportSaved(true);
        state.beginInspection(QUrl::fromLocalFile("/B/Example.dmg"));
        QVERIFY(!state.hasInspection() && !state.releaseReportSaved() && state.isInspecting());
        QTRY_VERIFY(state.hasInspection());
        state.setReleaseReportSaved(true);
        state.checkAnother();
        QCOMPARE(state.screen(), ContentViewState::Screen::landing);
        QVERIFY(!state.hasInspection() && !state.isInspecting() && !state.releaseReportSaved());
        QVERIFY(state.inspectionTargetName().isEmpty() && state.liveStages()->rowCount() == 0);
        QVERIFY(state.inspectionTargetIsDiskImage());
    }
};

QTEST_GUILESS_MAIN(PackageIntakeTest)
#include "package_intake_test.moc"
