// Runs through the stand-in tools on the real clock, under a private TMPDIR.

#include "ui/content_view_state.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

class LiveRunStandInTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
    }

    void cleanup() { QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0); }

    void run_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("stages"); // after the result: P pass, W warning, F fail
        QTest::addColumn<QString>("checks");
        QTest::addColumn<int>("pacedMs");    // 1.35 s per stage and the 0.8 s hold
        QTest::addColumn<int>("slackMs");    // what the tools and the machine may add
        QTest::newRow("application: fast tools add nothing")
            << "apps/Ready.app" << "PPPPP" << "pass pass pass pass pass" << 7550 << 1500;
        QTest::newRow("plain file named like a bundle: accepted, then failing checks")
            << "apps/Notes.app" << "FWWWF" << "fail warning warning warning fail" << 7550 << 1500;
        QTest::newRow("disk image: mounting may take longer")
            << "dmgs/Notarized.dmg" << "PPPPPP" << "pass pass pass pass pass" << 8900 << 20000;
    }

    // Tool runs and pacing sleeps happen on the worker; the main thread only
    // applies stage changes, so a 5 ms timer there keeps ticking. A plain event
    // loop: QTRY's polling sleeps between rounds and would stall it itself.
    void run()
    {
        QFETCH(QString, fixture);
        QFETCH(int, pacedMs);
        QFETCH(int, slackMs);
        ContentViewState state;
        QEventLoop loop;
        connect(&state, &ContentViewState::inspectionChanged, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        QElapsedTimer clock, sinceTick;
        qint64 longestGap = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        connect(&probe, &QTimer::timeout, &loop, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        clock.start();
        state.setReleaseTools(releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)));
        state.beginInspection(QUrl::fromLocalFile(QStringLiteral(VERISTAMP_TEST_PACKAGES "/") + fixture));
        sinceTick.start();
        probe.start(5);
        loop.exec();
        const qint64 publishedAfter = clock.elapsed();
        qInfo("result after %lld ms; longest gap between 5 ms ticks: %lld ms", publishedAfter, longestGap);

        QCOMPARE(state.screen(), ContentViewState::Screen::results);
        QString letters;
        for (const LiveInspectionStage &stage : state.liveStages()->stages())
            letters += QLatin1Char("paPWF"[int(stage.status)]);
        QTEST(letters, "stages");
        QStringList checks;
        for (const InspectionCheck &check : state.inspection()->checks)
            checks << rawValue(check.status);
        QTEST(checks.join(' '), "checks");
        QVERIFY(publishedAfter >= pacedMs && publishedAfter <= pacedMs + slackMs);
        // Far above one frame (16 ms), far below any tool run or sleep.
        QVERIFY(longestGap < 250);
    }
};

QTEST_GUILESS_MAIN(LiveRunStandInTest)

#include "live_run_standin_test.moc"
