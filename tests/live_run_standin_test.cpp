// Runs through the stand-in tools at the real pace, under a private TMPDIR:
// the stages change in order and the run ends on the results screen.

#include "live/inspection_worker.h"
#include "ui/content_view_state.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QTest>

class LiveRunStandInTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
    }

    void run_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("stages"); // each change as the stage list reads after it
        QTest::addColumn<QString>("checks");
        QTest::newRow("application") << "apps/Ready.app" << "Pappp PPapp PPPap PPPPa PPPPP"
                                     << "pass pass pass pass pass";
        QTest::newRow("plain file named like a bundle: accepted, then failing checks")
            << "apps/Notes.app" << "Fappp FWapp FWWap FWWWa FWWWF" << "fail warning warning warning fail";
        QTest::newRow("disk image") << "dmgs/Notarized.dmg" << "Papppp PPappp PPPapp PPPPap PPPPPa PPPPPP"
                                    << "pass pass pass pass pass";
    }
    void run()
    {
        QFETCH(QString, fixture);
        ContentViewState state;
        QStringList changes;
        connect(state.liveStages(), &QAbstractItemModel::dataChanged, this, [&] {
            QString letters;
            for (const LiveInspectionStage &stage : state.liveStages()->stages())
                letters += QLatin1Char("paPWF"[int(stage.status)]);
            // A stage turning final and the next turning active are one change.
            if (!letters.contains(QRegularExpression("[PWF]p")))
                changes << letters;
        });
        state.setReleaseTools(releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)));
        state.beginInspection(QUrl::fromLocalFile(QStringLiteral(VERISTAMP_TEST_PACKAGES "/") + fixture));
        QTRY_VERIFY_WITH_TIMEOUT(state.hasInspection(), 30000);
        QCOMPARE(state.screen(), ContentViewState::Screen::results);
        QTEST(changes.join(' '), "stages");
        QStringList checks;
        for (const InspectionCheck &check : state.inspection()->checks())
            checks << rawValue(check.status);
        QTEST(checks.join(' '), "checks");
        QTRY_VERIFY(QCoreApplication::instance()->findChildren<InspectionWorker *>().isEmpty());
    }
};

QTEST_GUILESS_MAIN(LiveRunStandInTest)

#include "live_run_standin_test.moc"
