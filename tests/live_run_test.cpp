// The live run: the stage change rule, the pacing on a hand-moved clock, a
// run's hand-over from its worker thread, and a run that outlives its window
// or the whole application.

#include "stage_letters.h"

#include "live/inspection_worker.h"
#include "live/live_run.h"
#include "test_doubles.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono;

namespace {

QString letters(const QList<LiveInspectionStage> &stages)
{
    QString text;
    for (const LiveInspectionStage &stage : stages)
        text += letterOf(stage.status);
    return text;
}

// A disk image whose volume mounts (at a folder that holds nothing), held at the attach.
ToolScript heldImageTools()
{
    return ToolScript(
        [](const ToolCall &call) {
            if (call.arguments.value(0) != "attach")
                return mixedToolOutcomes(call);
            return Program::DataResult{0, "<plist><dict><key>system-entities</key><array><dict><key>mount-point</key>"
                                        "<string>/nonexistent/Volume</string></dict></array></dict></plist>", {}};
        },
        {"/usr/bin/hdiutil", "attach"});
}

const QString detach = QStringLiteral("/usr/bin/hdiutil detach");
const AcceptedPackage image{QUrl::fromLocalFile(QStringLiteral("/tmp/Example.dmg")), PackageKind::diskImage};

// The child of quitDuringARunStillDetaches: the application ends while the
// inspection waits at the attach; what the tools were asked is printed after.
int quitDuringARun(int argc, char **argv)
{
    static ToolScript script = heldImageTools();
    {
        QCoreApplication application(argc, argv);
        // Run as the application object starts to go, before it waits for its workers.
        qAddPostRoutine([] { script.release(); });
        SteadyPacingClock clock;
        StagePacer pacer(6, clock);
        startLiveRun(&pacer, image, script.tools());
        if (!QTest::qWaitFor([] { return script.holding(); }))
            return 1;
    }
    std::printf("%s\n", qPrintable(script.calls().join(", ")));
    return 0;
}

// The child of quitWhileAToolHangsStopsIt: real tools under the root given,
// the first of which hangs; the application ends while it does.
int quitWhileAToolHangs(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    SteadyPacingClock clock;
    StagePacer pacer(6, clock);
    startLiveRun(&pacer, image, releaseToolsAt(ToolRoot{QString::fromLocal8Bit(argv[2]), {}}));
    const QString hanging = qEnvironmentVariable("VERISTAMP_HELPER_LOG") + ".hanging";
    return QTest::qWaitFor([&] { return QFileInfo::exists(hanging); }, 60000) ? 0 : 1;
}

} // namespace

class LiveRunTest : public QObject {
    Q_OBJECT

private slots:
    void updateRule_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("after");
        QTest::newRow("pass activates the next stage") << "apppp" << "0P" << "Pappp";
        QTest::newRow("last stage has no next") << "PPPa" << "3W" << "PPPW";
        QTest::newRow("final next stays final") << "aW" << "0P" << "PW";
        QTest::newRow("final replaced by another final") << "Pa" << "0F" << "Fa";
        QTest::newRow("non-final leaves the next alone") << "pp" << "0a" << "ap";
        QTest::newRow("index outside the list") << "ap" << "2P" << "ap";
    }
    void updateRule()
    {
        QFETCH(QString, before);
        QFETCH(QString, change);
        QList<LiveInspectionStage> stages;
        for (QChar letter : before)
            stages.append({QUuid::createUuid(), QStringLiteral("Stage"), stageStatusOf(letter)});
        QTEST(letters(updateLiveStage(stages, change.chopped(1).toInt(), stageStatusOf(change.back()))), "after");
    }

    // Script: "2W" the inspection reports stage 2 as warning, "+5" it works 5 s on, "R" it returns.
    void pacing_data()
    {
        QTest::addColumn<int>("stageCount");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("changes"); // "<seconds> <stage><status>" or "<seconds> result"
        // Instant tools: stage k at (k + 1) x 1.35 s, the result 0.8 s later.
        QTest::newRow("instant") << 5 << "0P 1P 2P 3P 4P R" << "1.35 0P, 2.70 1P, 4.05 2P, 5.40 3P, 6.75 4P, 7.55 result";
        // An unmountable image: warning and fail go on, stage 5 fails after the closing wait.
        QTest::newRow("unmountable") << 6 << "0P 1W 2P 3P 4F 5F R"
                                     << "1.35 0P, 2.70 1W, 4.05 2P, 5.40 3P, 6.75 4F, 8.10 5F, 8.90 result";
        // A tool of 5 s: its stage is final when it finishes.
        QTest::newRow("slow tool") << 5 << "0P +5 1P 2P 3P 4P R" << "1.35 0P, 5.00 1P, 6.35 2P, 7.70 3P, 9.05 4P, 9.85 result";
        // The final stage reported early shows only after the inspection returned; the last report wins.
        QTest::newRow("early final") << 5 << "0P 4W 1P 2P 3P 4F +9 R" << "1.35 0P, 2.70 1P, 4.05 2P, 5.40 3P, 9.00 4F, 9.80 result";
        QTest::newRow("index outside the list still paced") << 5 << "7F 0P R" << "1.35 7F, 2.70 0P, 4.85 result";
        QTest::newRow("unreported stages still give a result") << 5 << "R" << "2.15 result";
    }
    void pacing()
    {
        QFETCH(int, stageCount);
        QFETCH(QString, script);
        ManualClock clock;
        StagePacer pacer(stageCount, clock);
        QStringList changes;
        const auto now = [&clock] { return QString::number(duration<double>(clock.now()).count(), 'f', 2); };
        connect(&pacer, &StagePacer::stageChanged, this, [&](int index, LiveStageStatus status) {
            changes << now() + ' ' + QString::number(index) + letterOf(status);
        });
        connect(&pacer, &StagePacer::resultReady, this, [&] { changes << now() + " result"; });
        for (const QString &step : script.split(' ')) {
            if (step.startsWith('+'))
                clock.advanceTo(clock.now() + seconds(step.mid(1).toInt()));
            else if (step == "R")
                pacer.inspectionFinished({});
            else
                pacer.stageFinished(step.chopped(1).toInt(), stageStatusOf(step.back()));
        }
        clock.advanceTo(hours(1));
        QTEST(changes.join(", "), "changes");
    }

    // Paced by the screen: each change's time runs from the frame that first
    // shows it. The live screen's first frame comes `firstFrame` ms after the
    // intake, each later frame `frameDelay` ms after a change; the tools answer at once.
    void pacingByScreen_data()
    {
        QTest::addColumn<int>("firstFrame");
        QTest::addColumn<int>("frameDelay");
        QTest::addColumn<QString>("changes");
        QTest::newRow("screen shown at once") << 0 << 0 << "1.35 0P, 2.70 1P, 4.05 2P, 4.85 result";
        QTest::newRow("open panel closing: first frame 1 s late")
            << 1000 << 0 << "2.35 0P, 3.70 1P, 5.05 2P, 5.85 result";
        QTest::newRow("slow frames after each change")
            << 300 << 50 << "1.65 0P, 3.05 1P, 4.45 2P, 5.25 result";
    }
    void pacingByScreen()
    {
        QFETCH(int, firstFrame);
        QFETCH(int, frameDelay);
        ManualClock clock;
        StagePacer pacer(3, clock, nullptr, StagePacer::Start::whenShown);
        QStringList changes;
        const auto now = [&clock] { return QString::number(duration<double>(clock.now()).count(), 'f', 2); };
        connect(&pacer, &StagePacer::stageChanged, this, [&](int index, LiveStageStatus status) {
            changes << now() + ' ' + QString::number(index) + letterOf(status);
            clock.callAfter(milliseconds(frameDelay), &pacer, [&pacer] { pacer.stagesShown(); });
        });
        connect(&pacer, &StagePacer::resultReady, this, [&] { changes << now() + " result"; });
        clock.callAfter(milliseconds(firstFrame), &pacer, [&pacer] { pacer.stagesShown(); });
        for (int stage = 0; stage < 3; ++stage)
            pacer.stageFinished(stage, LiveStageStatus::pass);
        pacer.inspectionFinished({});
        clock.advanceTo(hours(1));
        QTEST(changes.join(", "), "changes");
    }

    // The stages, then the work after the checks, then the result: what that
    // work filed on the worker thread is whole when the result arrives here.
    void aRunHandsOverInOrder()
    {
        ManualClock clock(true);
        StagePacer pacer(6, clock);
        auto filed = std::make_shared<QStringList>();
        startLiveRun(&pacer, image, ToolScript(mixedToolOutcomes).tools(),
                     [filed](const ReleaseTools &) { *filed << QStringLiteral("forecast"); });
        int stagesChanged = 0;
        std::optional<QStringList> filedByResult;
        connect(&pacer, &StagePacer::stageChanged, this, [&] { ++stagesChanged; });
        connect(&pacer, &StagePacer::resultReady, this, [&] { filedByResult = *filed << QString::number(stagesChanged); });
        QTRY_VERIFY(filedByResult);
        QCOMPARE(*filedByResult, (QStringList{"forecast", "6"}));
    }

    // The window goes while the inspection waits at the attach: its pacer is
    // deleted, and the image is still detached.
    void lettingARunGoStillDetaches()
    {
        ToolScript script = heldImageTools();
        ManualClock clock(true);
        auto *pacer = new StagePacer(6, clock);
        startLiveRun(pacer, image, script.tools());
        QTRY_VERIFY(script.holding());
        delete pacer;
        script.release();
        QTRY_VERIFY(script.calls().contains(detach));
        QTRY_VERIFY(QCoreApplication::instance()->findChildren<InspectionWorker *>().isEmpty());
    }

    void quitDuringARunStillDetaches()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--quit-during-a-run")});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(child.readAllStandardOutput().contains(detach.toUtf8()), "no detach");
    }

    // Quitting while a real tool hangs ends that tool and starts no other,
    // instead of waiting for it for ever.
    void quitWhileAToolHangsStopsIt()
    {
        QTemporaryDir root;
        QVERIFY(QDir().mkpath(root.filePath("usr/bin")) && QDir().mkpath(root.filePath("usr/sbin")));
        for (const char *tool : {"usr/bin/hdiutil", "usr/bin/codesign", "usr/bin/xcrun", "usr/sbin/spctl"})
            QVERIFY(QFile::link(QStringLiteral(VERISTAMP_HELPER), root.filePath(tool)));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VERISTAMP_HELPER_LOG", root.filePath("log"));
        environment.insert("VERISTAMP_HELPER_HANG", "verify");
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--quit-while-a-tool-hangs"), root.path()});
        QVERIFY2(child.waitForFinished(60000), "the application waited for the hanging tool");
        QCOMPARE(child.exitCode(), 0);
        QFile log(root.filePath("log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("hdiutil verify /tmp/Example.dmg\n"));
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--quit-during-a-run") == 0)
        return quitDuringARun(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--quit-while-a-tool-hangs") == 0)
        return quitWhileAToolHangs(argc, argv);
    QCoreApplication application(argc, argv);
    LiveRunTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "live_run_test.moc"
