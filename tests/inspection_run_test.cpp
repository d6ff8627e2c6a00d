// The paced run on virtual time: the clock moves only when the run sleeps or
// a scripted tool "takes" time, so whole timelines run in milliseconds.

#include "engine/inspection_run.h"
#include "engine/live_stages.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
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

LiveStageStatus statusOf(QChar letter)
{
    return LiveStageStatus(statusLetters.indexOf(char(letter.toLatin1())));
}

QString seconds(nanoseconds time)
{
    return QString::number(std::chrono::duration<double>(time).count(), 'f', 2);
}

// A window's side of one run on virtual time. The script is the inspection:
// "2W" reports stage 2 as warning, "+5" is a tool that takes 5 seconds.
struct ScriptedRun {
    std::atomic<std::int64_t> ticks{0};
    QList<LiveInspectionStage> stages;
    QStringList changes; // "<seconds> <letters after the change>"
    QString publishedAt;
    std::shared_ptr<LiveRunLink> link = std::make_shared<LiveRunLink>();

    nanoseconds now() const { return nanoseconds(ticks.load()); }

    void start(PackageKind kind, const QString &script)
    {
        stages = makeLiveStages(kind);
        stages.first().status = LiveStageStatus::active;
        link->updateLiveStage = [this](int stageIndex, LiveStageStatus status) {
            stages = updateLiveStage(stages, stageIndex, status);
            changes.append(seconds(now()) + ' ' + letters(stages));
        };
        link->publishResult = [this](const InspectionResult &) { publishedAt = seconds(now()); };
        const PacingClock clock{[this] { return now(); }, [this](nanoseconds time) { ticks += time.count(); }};
        const QStringList steps = script.split(' ');
        runInspection(
            [this, steps](const StageProgress &progress) {
                for (const QString &step : steps) {
                    if (step.startsWith('+'))
                        ticks += nanoseconds(std::chrono::seconds(step.mid(1).toInt())).count();
                    else
                        progress(step.chopped(1).toInt(), statusOf(step.back()));
                }
                return InspectionResult{};
            },
            int(stages.size()), clock, link);
    }
};

// A child run of this program: the application object goes while a worker
// waits for a stage update that no event loop will ever deliver.
int exitDuringStageUpdate(int argc, char **argv)
{
    std::atomic<bool> reporting{false};
    QCoreApplication application(argc, argv);
    auto link = std::make_shared<LiveRunLink>();
    const PacingClock instant{[] { return nanoseconds(0); }, [](nanoseconds) {}};
    runInspection(
        [&reporting](const StageProgress &progress) {
            reporting = true;
            progress(0, LiveStageStatus::pass);
            progress(1, LiveStageStatus::pass);
            return InspectionResult{};
        },
        5, instant, link);
    while (!reporting)
        QThread::msleep(1);
    QThread::msleep(100);
    return 0;
}

} // namespace

class InspectionRunTest : public QObject {
    Q_OBJECT

private slots:
    void updateRule_data();
    void updateRule();
    void timeline_data();
    void timeline();
    void detachedRunStopsWritingAndPacing();
    void exitDuringARunDoesNotHang();
};

void InspectionRunTest::updateRule_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("stageIndex");
    QTest::addColumn<QChar>("status");
    QTest::addColumn<QString>("after");

    QTest::newRow("pass activates the next stage") << "apppp" << 0 << QChar('P') << "Pappp";
    QTest::newRow("warning activates the next stage") << "Papp" << 1 << QChar('W') << "PWap";
    QTest::newRow("fail activates the next stage") << "PPap" << 2 << QChar('F') << "PPFa";
    QTest::newRow("last stage has no next") << "PPPa" << 3 << QChar('P') << "PPPP";
    QTest::newRow("final next stays final") << "aW" << 0 << QChar('P') << "PW";
    QTest::newRow("final replaced by another final") << "Pa" << 0 << QChar('F') << "Fa";
    QTest::newRow("non-final leaves the next alone") << "pp" << 0 << QChar('a') << "ap";
    QTest::newRow("negative index ignored") << "ap" << -1 << QChar('P') << "ap";
    QTest::newRow("index past the end ignored") << "ap" << 2 << QChar('P') << "ap";
}

void InspectionRunTest::updateRule()
{
    QFETCH(QString, before);
    QFETCH(int, stageIndex);
    QFETCH(QChar, status);
    QFETCH(QString, after);

    QList<LiveInspectionStage> stages;
    for (QChar letter : before)
        stages.append({QUuid::createUuid(), QStringLiteral("Stage"), statusOf(letter)});
    QCOMPARE(letters(updateLiveStage(stages, stageIndex, statusOf(status))), after);
}

void InspectionRunTest::timeline_data()
{
    QTest::addColumn<PackageKind>("kind");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("publishedAt");

    const auto app = PackageKind::application;
    const auto dmg = PackageKind::diskImage;
    QTest::newRow("instant tools: stage k at (k + 1) x 1.35 s, result 0.8 s later")
        << app << "0P 1P 2P 3P 4P"
        << QStringList{"1.35 Pappp", "2.70 PPapp", "4.05 PPPap", "5.40 PPPPa", "6.75 PPPPP"} << "7.55";
    QTest::newRow("failures and warnings do not stop the run")
        << app << "0F 1W 2W 3P 4F"
        << QStringList{"1.35 Fappp", "2.70 FWapp", "4.05 FWWap", "5.40 FWWPa", "6.75 FWWPF"} << "7.55";
    QTest::newRow("disk image with instant tools")
        << dmg << "0P 1P 2P 3P 4P 5P"
        << QStringList{"1.35 Papppp", "2.70 PPappp", "4.05 PPPapp", "5.40 PPPPap", "6.75 PPPPPa", "8.10 PPPPPP"}
        << "8.90";
    QTest::newRow("unmountable image: stage 5 fails after the closing wait")
        << dmg << "0P 1W 2P 3P 4F 5F"
        << QStringList{"1.35 Papppp", "2.70 PWappp", "4.05 PWPapp", "5.40 PWPPap", "6.75 PWPPFa", "8.10 PWPPFF"}
        << "8.90";
    QTest::newRow("tool of 5 s: its stage is final when it finishes")
        << app << "0P +5 1P 2P 3P 4P"
        << QStringList{"1.35 Pappp", "6.35 PPapp", "7.70 PPPap", "9.05 PPPPa", "10.40 PPPPP"} << "11.20";
    QTest::newRow("tool of 1 s waits out the minimum time")
        << app << "0P +1 1P 2P 3P 4P"
        << QStringList{"1.35 Pappp", "2.70 PPapp", "4.05 PPPap", "5.40 PPPPa", "6.75 PPPPP"} << "7.55";
    QTest::newRow("final stage reported early stays active until the inspection returns")
        << app << "0P 4W 1P 2P 3P 4F +3"
        << QStringList{"1.35 Pappp", "2.70 PPapp", "4.05 PPPap", "5.40 PPPPa", "8.40 PPPPF"} << "9.20";
    QTest::newRow("index outside the list ignored but paced")
        << app << "7F -1F 0P 1P 2P 3P 4P"
        << QStringList{"1.35 apppp", "2.70 apppp", "4.05 Pappp", "5.40 PPapp", "6.75 PPPap", "8.10 PPPPa",
                       "9.45 PPPPP"}
        << "10.25";
    QTest::newRow("unreported stages still give a result")
        << app << "0P 1P" << QStringList{"1.35 Pappp", "2.70 PPapp"} << "4.85";
}

void InspectionRunTest::timeline()
{
    QFETCH(PackageKind, kind);
    QFETCH(QString, script);
    QFETCH(QStringList, changes);
    QFETCH(QString, publishedAt);

    ScriptedRun run;
    run.start(kind, script);
    QTRY_VERIFY(!run.publishedAt.isEmpty());
    QCOMPARE(run.changes, changes);
    QCOMPARE(run.publishedAt, publishedAt);
}

// A window that goes away mid-run: the inspection still runs to its end,
// but nothing more is written and the run no longer sleeps.
void InspectionRunTest::detachedRunStopsWritingAndPacing()
{
    ScriptedRun run;
    run.start(PackageKind::application, "0P 1P 2P 3P 4P +1");
    run.link->updateLiveStage = [&run](int, LiveStageStatus) { run.link->attached = false; };
    QTRY_COMPARE(run.now(), nanoseconds(std::chrono::milliseconds(2700 + 1000)));
    QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    QTest::qWait(20);
    QVERIFY(run.publishedAt.isEmpty());
}

// The application object waits for every pool worker when it goes.
void InspectionRunTest::exitDuringARunDoesNotHang()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--exit-during-stage-update")});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--exit-during-stage-update") == 0)
        return exitDuringStageUpdate(argc, argv);
    QCoreApplication application(argc, argv);
    InspectionRunTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "inspection_run_test.moc"
