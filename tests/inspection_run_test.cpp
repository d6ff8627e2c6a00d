#include "engine/inspection_run.h"
#include "engine/live_stages.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <atomic>

using std::chrono::nanoseconds;

namespace {

// Stage statuses as letters: p pending, a active, P pass, W warning, F fail.
const QByteArray statusLetters = "paPWF";

QString letters(const QList<LiveInspectionStage> &stages)
{
    QString text;
    for (const LiveInspectionStage &stage : stages)
        text += QLatin1Char(statusLetters[int(stage.status)]);
    return text;
}

LiveStageStatus statusOf(QChar letter) { return LiveStageStatus(statusLetters.indexOf(char(letter.toLatin1()))); }

// A window's side of one run on virtual time: the clock moves only when the
// run sleeps or a tool "takes" time. Script: "2W" reports stage 2 as warning,
// "+5" is a tool taking 5 s.
struct ScriptedRun {
    std::atomic<std::int64_t> ticks{0};
    QList<LiveInspectionStage> stages;
    QStringList changes; // "<seconds> <letters after the change>" or "<seconds> result"
    std::shared_ptr<LiveRunLink> link = std::make_shared<LiveRunLink>();

    QString now() const { return QString::number(double(ticks.load()) / 1e9, 'f', 2); }

    void start(PackageKind kind, const QString &script)
    {
        stages = makeLiveStages(kind);
        stages.first().status = LiveStageStatus::active;
        link->updateLiveStage = [this](int stageIndex, LiveStageStatus status) {
            stages = updateLiveStage(stages, stageIndex, status);
            changes.append(now() + ' ' + letters(stages));
        };
        link->publishResult = [this](const InspectionResult &) { changes.append(now() + " result"); };
        const auto advance = [this](nanoseconds time) { ticks += time.count(); };
        runInspection(
            [advance, steps = script.split(' ')](const StageProgress &progress) {
                for (const QString &step : steps) {
                    if (step.startsWith('+'))
                        advance(std::chrono::seconds(step.mid(1).toInt()));
                    else
                        progress(step.chopped(1).toInt(), statusOf(step.back()));
                }
                return InspectionResult{};
            },
            int(stages.size()), {[this] { return nanoseconds(ticks.load()); }, advance}, link);
    }
};

// A child run: the application object goes while a worker waits for a stage
// update that no event loop will ever deliver.
int exitDuringStageUpdate(int argc, char **argv)
{
    ScriptedRun run; // outlives the application object, which waits for the worker
    QCoreApplication application(argc, argv);
    run.start(PackageKind::application, "0P 1P");
    while (run.ticks == 0) // the worker is about to hand its first change over
        QThread::msleep(1);
    QThread::msleep(100);
    return 0;
}

} // namespace

class InspectionRunTest : public QObject {
    Q_OBJECT

private slots:
    void updateRule_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("after");
        QTest::newRow("pass activates the next stage") << "apppp" << "0P" << "Pappp";
        QTest::newRow("fail activates the next stage") << "PPap" << "2F" << "PPFa";
        QTest::newRow("last stage has no next") << "PPPa" << "3W" << "PPPW";
        QTest::newRow("final next stays final") << "aW" << "0P" << "PW";
        QTest::newRow("final replaced by another final") << "Pa" << "0F" << "Fa";
        QTest::newRow("non-final leaves the next alone") << "pp" << "0a" << "ap";
    }

    void updateRule()
    {
        QFETCH(QString, before);
        QFETCH(QString, change);
        QList<LiveInspectionStage> stages;
        for (QChar letter : before)
            stages.append({QUuid::createUuid(), QStringLiteral("Stage"), statusOf(letter)});
        QTEST(letters(updateLiveStage(stages, change.chopped(1).toInt(), statusOf(change.back()))), "after");
    }

    void timeline_data()
    {
        QTest::addColumn<PackageKind>("kind");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("changes");
        const auto app = PackageKind::application;
        QTest::newRow("instant tools: stage k at (k + 1) x 1.35 s, result 0.8 s later")
            << app << "0P 1P 2P 3P 4P" << "1.35 Pappp, 2.70 PPapp, 4.05 PPPap, 5.40 PPPPa, 6.75 PPPPP, 7.55 result";
        QTest::newRow("unmountable image: warning and fail go on, stage 5 fails after the closing wait")
            << PackageKind::diskImage << "0P 1W 2P 3P 4F 5F"
            << "1.35 Papppp, 2.70 PWappp, 4.05 PWPapp, 5.40 PWPPap, 6.75 PWPPFa, 8.10 PWPPFF, 8.90 result";
        QTest::newRow("tool of 5 s: its stage is final when it finishes")
            << app << "0P +5 1P 2P 3P 4P"
            << "1.35 Pappp, 6.35 PPapp, 7.70 PPPap, 9.05 PPPPa, 10.40 PPPPP, 11.20 result";
        QTest::newRow("final stage reported early stays active until the inspection returns")
            << app << "0P 4W 1P 2P 3P 4F +3"
            << "1.35 Pappp, 2.70 PPapp, 4.05 PPPap, 5.40 PPPPa, 8.40 PPPPF, 9.20 result";
        QTest::newRow("index outside the list ignored but paced")
            << app << "7F -1F 0P 1P 2P 3P 4P"
            << "1.35 apppp, 2.70 apppp, 4.05 Pappp, 5.40 PPapp, 6.75 PPPap, 8.10 PPPPa, 9.45 PPPPP, 10.25 result";
        QTest::newRow("unreported stages still give a result")
            << app << "0P 1P" << "1.35 Pappp, 2.70 PPapp, 4.85 result";
    }

    void timeline()
    {
        QFETCH(PackageKind, kind);
        QFETCH(QString, script);
        QFETCH(QString, changes);
        ScriptedRun run;
        run.start(kind, script);
        QTRY_COMPARE(run.changes.join(", "), changes);
    }

    // A window gone mid-run: the inspection runs to its end, unpaced and writing nothing.
    void detachedRunStopsWritingAndPacing()
    {
        ScriptedRun run;
        run.start(PackageKind::application, "0P 1P 2P 3P 4P +1");
        run.link->updateLiveStage = [&run](int, LiveStageStatus) { run.link->attached = false; };
        QTRY_COMPARE(run.now(), QStringLiteral("3.70"));
        QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        QTest::qWait(20);
        QCOMPARE(run.now(), QStringLiteral("3.70"));
        QVERIFY(run.changes.isEmpty());
    }

    // Runs of several windows do not queue behind one another, whatever the core count:
    // each inspection below waits until all of them have started.
    void severalRunsProceedAtOnce()
    {
        const int runs = QThread::idealThreadCount() + 2;
        std::atomic<int> started{0};
        std::atomic<int> together{0};
        const auto link = std::make_shared<LiveRunLink>();
        link->updateLiveStage = [](int, LiveStageStatus) {};
        link->publishResult = [](const InspectionResult &) {};
        for (int i = 0; i < runs; ++i) {
            runInspection(
                [&](const StageProgress &) {
                    ++started;
                    for (int wait = 0; wait < 500 && started.load() < runs; ++wait)
                        QThread::msleep(10);
                    if (started.load() == runs)
                        ++together;
                    return InspectionResult{};
                },
                5, {[] { return nanoseconds(0); }, [](nanoseconds) {}}, link);
        }
        QTRY_COMPARE_WITH_TIMEOUT(QThreadPool::globalInstance()->activeThreadCount(), 0, 10000);
        QCOMPARE(together.load(), runs);
    }

    void exitDuringARunDoesNotHang()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--exit-during-stage-update")});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--exit-during-stage-update") == 0)
        return exitDuringStageUpdate(argc, argv);
    QCoreApplication application(argc, argv);
    InspectionRunTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "inspection_run_test.moc"
