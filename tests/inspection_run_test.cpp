// The paced run on virtual time: the clock advances only when the run sleeps
// or a scripted tool "takes" time, so whole timelines run in milliseconds.

#include "engine/inspection_run.h"
#include "engine/live_stages.h"
#include "engine/package_inspection.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <utility>

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

struct VirtualClock {
    std::atomic<std::int64_t> ticks{0};

    nanoseconds now() const { return nanoseconds(ticks.load()); }
    void advance(nanoseconds duration) { ticks += duration.count(); }
    PacingClock pacing()
    {
        return PacingClock{[this] { return now(); }, [this](nanoseconds duration) { advance(duration); }};
    }
};

// Stage statuses as letters: p pending, a active, P pass, W warning, F fail.
QString letters(const QList<LiveInspectionStage> &stages)
{
    QString text;
    for (const LiveInspectionStage &stage : stages)
        text += QLatin1Char("paPWF"[int(stage.status)]);
    return text;
}

QList<LiveInspectionStage> stagesFromLetters(const QString &text)
{
    QList<LiveInspectionStage> stages;
    for (QChar letter : text) {
        const auto status = LiveStageStatus(QByteArray("paPWF").indexOf(char(letter.toLatin1())));
        stages.append(LiveInspectionStage{QUuid::createUuid(), QStringLiteral("Stage"), status});
    }
    return stages;
}

LiveStageStatus statusFromLetter(char letter)
{
    return LiveStageStatus(QByteArray("paPWF").indexOf(letter));
}

// One applied stage change as the window saw it.
struct Change {
    double seconds;
    int stageIndex;
    QString stagesAfter;
};

// The window side of a run: applies changes to its own list and notes when.
struct Window {
    VirtualClock &clock;
    QList<LiveInspectionStage> stages;
    QList<Change> changes;
    std::optional<InspectionResult> result;
    double publishedAt = -1;
    std::shared_ptr<LiveRunLink> link = std::make_shared<LiveRunLink>();

    Window(VirtualClock &runClock, PackageKind kind) : clock(runClock), stages(makeLiveStages(kind))
    {
        stages.first().status = LiveStageStatus::active;
        link->updateLiveStage = [this](int stageIndex, LiveStageStatus status) {
            stages = updateLiveStage(stages, stageIndex, status);
            changes.append({seconds(clock.now()), stageIndex, letters(stages)});
        };
        link->publishResult = [this](const InspectionResult &published) {
            result = published;
            publishedAt = seconds(clock.now());
        };
    }

    static double seconds(nanoseconds time) { return std::chrono::duration<double>(time).count(); }

    void run(PackageInspectionCall inspection)
    {
        runInspection(std::move(inspection), int(stages.size()), clock.pacing(), link);
    }
};

// An inspection that reports each letter of `statuses` as stage 0, 1, ... at once.
PackageInspectionCall reportingAtOnce(const QByteArray &statuses)
{
    return [statuses](const StageProgress &progress) {
        for (int stage = 0; stage < statuses.size(); ++stage)
            progress(stage, statusFromLetter(statuses[stage]));
        InspectionResult result;
        result.displayName = QStringLiteral("Example");
        return result;
    };
}

// Every tool answers at once with status 0 and no output, except attach.
ReleaseTools unmountableImageTools()
{
    return ReleaseTools{[](const ToolCall &call) {
        if (call.arguments.value(0) == QLatin1String("attach"))
            return Shell::DataResult{1, {}, "hdiutil: attach failed - image not recognized\n"};
        return Shell::DataResult{0, {}, {}};
    }};
}

// A child run of this program: exits while a worker waits on the main thread.
int exitDuringStageUpdate(int argc, char **argv)
{
    std::atomic<bool> reporting{false};
    QCoreApplication application(argc, argv);
    auto link = std::make_shared<LiveRunLink>();
    link->updateLiveStage = [](int, LiveStageStatus) {};
    link->publishResult = [](const InspectionResult &) {};
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
    return 0; // no event loop ever runs: the update is never delivered
}

} // namespace

class InspectionRunTest : public QObject {
    Q_OBJECT

private slots:
    void updateRule_data();
    void updateRule();
    void timeline_data();
    void timeline();
    void slowToolAddsNoWait_data();
    void slowToolAddsNoWait();
    void finalStageWaitsForTheInspection();
    void unmountableImageThroughTheInspector();
    void reportOutsideTheListStillResetsThePacing();
    void unreportedStageStillPublishes();
    void detachedRunStopsWritingAndPacing();
    void exitDuringARunDoesNotHang();
};

void InspectionRunTest::updateRule_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("stageIndex");
    QTest::addColumn<char>("status");
    QTest::addColumn<QString>("after");

    QTest::newRow("pass makes the next stage active") << "apppp" << 0 << 'P' << "Pappp";
    QTest::newRow("warning makes the next stage active") << "Papp" << 1 << 'W' << "PWap";
    QTest::newRow("fail makes the next stage active") << "PPap" << 2 << 'F' << "PPFa";
    QTest::newRow("last stage has no next") << "PPPa" << 3 << 'P' << "PPPP";
    QTest::newRow("active next stays active") << "aa" << 0 << 'P' << "Pa";
    QTest::newRow("final next stays final") << "aW" << 0 << 'P' << "PW";
    QTest::newRow("final replaced by another final") << "Pa" << 0 << 'F' << "Fa";
    QTest::newRow("active is set without touching the next") << "pp" << 0 << 'a' << "ap";
    QTest::newRow("pending is set without touching the next") << "ap" << 0 << 'p' << "pp";
    QTest::newRow("negative index ignored") << "ap" << -1 << 'P' << "ap";
    QTest::newRow("index past the end ignored") << "ap" << 2 << 'P' << "ap";
    QTest::newRow("empty list") << "" << 0 << 'P' << "";
}

void InspectionRunTest::updateRule()
{
    QFETCH(QString, before);
    QFETCH(int, stageIndex);
    QFETCH(char, status);
    QFETCH(QString, after);

    const QList<LiveInspectionStage> stages = stagesFromLetters(before);
    const QList<LiveInspectionStage> updated = updateLiveStage(stages, stageIndex, statusFromLetter(status));
    QCOMPARE(letters(updated), after);
    for (qsizetype row = 0; row < stages.size(); ++row)
        QCOMPARE(updated[row].id, stages[row].id);
}

void InspectionRunTest::timeline_data()
{
    QTest::addColumn<PackageKind>("kind");
    QTest::addColumn<QByteArray>("reports");
    QTest::addColumn<QStringList>("lists"); // the list after each change, in order
    QTest::addColumn<double>("publishedAt");

    QTest::newRow("application, every stage passes")
        << PackageKind::application << QByteArray("PPPPP")
        << QStringList{"Pappp", "PPapp", "PPPap", "PPPPa", "PPPPP"} << 7.55;
    QTest::newRow("application, failures and warnings do not stop the run")
        << PackageKind::application << QByteArray("FWWPF")
        << QStringList{"Fappp", "FWapp", "FWWap", "FWWPa", "FWWPF"} << 7.55;
    QTest::newRow("disk image, every stage passes")
        << PackageKind::diskImage << QByteArray("PPPPPP")
        << QStringList{"Papppp", "PPappp", "PPPapp", "PPPPap", "PPPPPa", "PPPPPP"} << 8.9;
    QTest::newRow("disk image that cannot be mounted")
        << PackageKind::diskImage << QByteArray("PWPPFF")
        << QStringList{"Papppp", "PWappp", "PWPapp", "PWPPap", "PWPPFa", "PWPPFF"} << 8.9;
}

// With instant tools stage k turns final at (k + 1) x 1.35 s and the result
// follows 0.8 s after the last.
void InspectionRunTest::timeline()
{
    QFETCH(PackageKind, kind);
    QFETCH(QByteArray, reports);
    QFETCH(QStringList, lists);
    QFETCH(double, publishedAt);

    VirtualClock clock;
    Window window(clock, kind);
    window.run(reportingAtOnce(reports));
    QTRY_VERIFY(window.result.has_value());

    QCOMPARE(window.changes.size(), lists.size());
    for (int k = 0; k < lists.size(); ++k) {
        QCOMPARE(window.changes[k].stageIndex, k);
        QCOMPARE(window.changes[k].seconds, (k + 1) * 1.35);
        QCOMPARE(window.changes[k].stagesAfter, lists[k]);
    }
    QCOMPARE(window.publishedAt, publishedAt);
    QCOMPARE(window.result->displayName, QStringLiteral("Example"));
}

void InspectionRunTest::slowToolAddsNoWait_data()
{
    QTest::addColumn<double>("toolSeconds");
    QTest::addColumn<double>("secondStageAt");

    QTest::newRow("tool longer than the minimum time") << 5.0 << 1.35 + 5.0;
    QTest::newRow("tool exactly the minimum time") << 1.35 << 2.7;
    QTest::newRow("tool shorter than the minimum time") << 1.0 << 2.7;
}

// The tool deciding stage 1 runs after stage 0 was shown; its stage turns
// final as soon as it finishes, or when the minimum time is up.
void InspectionRunTest::slowToolAddsNoWait()
{
    QFETCH(double, toolSeconds);
    QFETCH(double, secondStageAt);

    VirtualClock clock;
    Window window(clock, PackageKind::application);
    window.run([&clock, toolSeconds](const StageProgress &progress) {
        progress(0, LiveStageStatus::pass);
        clock.advance(std::chrono::duration_cast<nanoseconds>(std::chrono::duration<double>(toolSeconds)));
        for (int stage = 1; stage < 5; ++stage)
            progress(stage, LiveStageStatus::pass);
        return InspectionResult{};
    });
    QTRY_VERIFY(window.result.has_value());

    QCOMPARE(window.changes.size(), 5);
    QCOMPARE(window.changes[0].seconds, 1.35);
    QCOMPARE(window.changes[1].seconds, secondStageAt);
    QCOMPARE(window.changes[2].seconds, secondStageAt + 1.35);
}

// Reported early, the last stage still shows active until the inspection
// returns; a second report for it replaces the first.
void InspectionRunTest::finalStageWaitsForTheInspection()
{
    VirtualClock clock;
    Window window(clock, PackageKind::application);
    window.run([&clock](const StageProgress &progress) {
        progress(0, LiveStageStatus::pass);
        progress(4, LiveStageStatus::warning);
        progress(1, LiveStageStatus::pass);
        progress(2, LiveStageStatus::pass);
        progress(3, LiveStageStatus::pass);
        progress(4, LiveStageStatus::fail);
        clock.advance(3s);
        return InspectionResult{};
    });
    QTRY_VERIFY(window.result.has_value());

    QCOMPARE(window.changes.size(), 5);
    QCOMPARE(window.changes[3].stagesAfter, QStringLiteral("PPPPa"));
    QCOMPARE(window.changes[4].stageIndex, 4);
    QCOMPARE(window.changes[4].seconds, 5.4 + 3.0);
    QCOMPARE(window.changes[4].stagesAfter, QStringLiteral("PPPPF"));
    QCOMPARE(window.publishedAt, 5.4 + 3.0 + 0.8);
}

// The disk image inspector itself, on scripted tools: stage 4 fails, stage 5
// becomes active through it and fails after the closing wait.
void InspectionRunTest::unmountableImageThroughTheInspector()
{
    VirtualClock clock;
    Window window(clock, PackageKind::diskImage);
    const QUrl image = QUrl::fromLocalFile(QStringLiteral("/Volumes/Builds/Example.dmg"));
    const ReleaseTools tools = unmountableImageTools();
    window.run([image, tools](const StageProgress &progress) {
        return inspectPackage(image, PackageKind::diskImage, tools, progress);
    });
    QTRY_VERIFY(window.result.has_value());

    QCOMPARE(window.changes.size(), 6);
    QCOMPARE(window.changes[4].seconds, 5 * 1.35);
    QCOMPARE(window.changes[4].stagesAfter, QStringLiteral("PWPPFa"));
    QCOMPARE(window.changes[5].seconds, 6 * 1.35);
    QCOMPARE(window.changes[5].stagesAfter, QStringLiteral("PWPPFF"));
    QCOMPARE(window.publishedAt, 8.9);
    QCOMPARE(window.result->kind, PackageKind::diskImage);
}

void InspectionRunTest::reportOutsideTheListStillResetsThePacing()
{
    VirtualClock clock;
    Window window(clock, PackageKind::application);
    window.run([](const StageProgress &progress) {
        progress(7, LiveStageStatus::fail);
        progress(-1, LiveStageStatus::fail);
        for (int stage = 0; stage < 5; ++stage)
            progress(stage, LiveStageStatus::pass);
        return InspectionResult{};
    });
    QTRY_VERIFY(window.result.has_value());

    QCOMPARE(window.changes.size(), 7);
    QCOMPARE(window.changes[0].seconds, 1.35);
    QCOMPARE(window.changes[0].stagesAfter, QStringLiteral("apppp"));
    QCOMPARE(window.changes[1].seconds, 2.7);
    QCOMPARE(window.changes[1].stagesAfter, QStringLiteral("apppp"));
    QCOMPARE(window.changes[2].seconds, 4.05);
    QCOMPARE(window.changes[2].stagesAfter, QStringLiteral("Pappp"));
}

void InspectionRunTest::unreportedStageStillPublishes()
{
    VirtualClock clock;
    Window window(clock, PackageKind::application);
    window.run(reportingAtOnce("PP"));
    QTRY_VERIFY(window.result.has_value());

    QCOMPARE(window.changes.size(), 2);
    QCOMPARE(window.changes.last().stagesAfter, QStringLiteral("PPapp"));
    // The closing wait counts from the last applied change.
    QCOMPARE(window.publishedAt, 2.7 + 1.35 + 0.8);
}

// A window that goes away mid-run: the inspection still runs to its end,
// but nothing more is written and the run no longer sleeps.
void InspectionRunTest::detachedRunStopsWritingAndPacing()
{
    VirtualClock clock;
    Window window(clock, PackageKind::application);
    std::atomic<int> reports{0};
    window.link->updateLiveStage = [&window](int, LiveStageStatus) { window.link->attached = false; };
    window.run([&reports](const StageProgress &progress) {
        for (int stage = 0; stage < 5; ++stage) {
            progress(stage, LiveStageStatus::pass);
            ++reports;
        }
        return InspectionResult{};
    });
    QTRY_COMPARE(reports.load(), 5);
    QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    QTest::qWait(20);

    QVERIFY(!window.result.has_value());
    QCOMPARE(Window::seconds(clock.now()), 2.7);
}

// The application object waits for every pool worker when it goes; a worker
// blocked on a stage update the main thread never delivers must not hold it.
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
