// The intake of a window's state: which dropped items start a run, what the
// state looks like when it does, the reset, and a window closed mid-run.
// Runs use scripted tools that answer at once and a virtual clock.

#include "engine/package_intake.h"
#include "ui/content_view_state.h"

#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <atomic>
#include <memory>

using std::chrono::nanoseconds;

namespace {

// Every tool answers at once with status 0 and no output; counts the calls.
struct ScriptedTools {
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);

    ReleaseTools tools() const
    {
        return ReleaseTools{[calls = calls](const ToolCall &) {
            ++*calls;
            return Shell::DataResult{0, {}, {}};
        }};
    }
};

PacingClock instantClock()
{
    auto ticks = std::make_shared<std::atomic<std::int64_t>>(0);
    return PacingClock{[ticks] { return nanoseconds(ticks->load()); },
                       [ticks](nanoseconds duration) { *ticks += duration.count(); }};
}

QUrl fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(path);
}

QString statusLetters(const LiveStageModel &model)
{
    QString text;
    for (const LiveInspectionStage &stage : model.stages())
        text += QLatin1Char("paPWF"[int(stage.status)]);
    return text;
}

// Names every change signal of a state in the order they arrive.
class SignalLog : public QObject {
public:
    explicit SignalLog(ContentViewState &state)
    {
        const QList<std::pair<void (ContentViewState::*)(), QString>> signalNames = {
            {&ContentViewState::isTargetedChanged, "isTargeted"},
            {&ContentViewState::isInspectingChanged, "isInspecting"},
            {&ContentViewState::inspectionChanged, "inspection"},
            {&ContentViewState::inspectionTargetNameChanged, "inspectionTargetName"},
            {&ContentViewState::inspectionTargetKindChanged, "inspectionTargetKind"},
            {&ContentViewState::releaseReportSavedChanged, "releaseReportSaved"},
            {&ContentViewState::showingAboutChanged, "showingAbout"},
            {&ContentViewState::screenChanged, "screen"},
        };
        for (const auto &[signal, name] : signalNames)
            connect(&state, signal, this, [this, name = name] { names.append(name); });
        connect(state.liveStages(), &QAbstractItemModel::modelReset, this, [this] { names.append("liveStages"); });
        connect(state.liveStages(), &QAbstractItemModel::dataChanged, this,
                [this] { names.append("liveStages row"); });
    }

    QStringList names;
};

} // namespace

class PackageIntakeTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void acceptingAfterASavedReportClearsItFirst();
    void resetKeepsTheTargetKind();
    void droppedUrlIsHandedOverLater();
    void secondIntakeDuringARunIsIgnored();
    void closingAWindowDuringARun();

private:
    std::unique_ptr<ContentViewState> makeState();
    void runToResult(ContentViewState &state, const QString &path);

    ScriptedTools m_tools;
    int m_beeps = 0;
};

void PackageIntakeTest::init()
{
    m_tools = ScriptedTools{};
    m_beeps = 0;
}

// No worker of one test may still run into the next.
void PackageIntakeTest::cleanup()
{
    QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
}

std::unique_ptr<ContentViewState> PackageIntakeTest::makeState()
{
    auto state = std::make_unique<ContentViewState>();
    state->setReleaseTools(m_tools.tools());
    state->setPacingClock(instantClock());
    state->setBeeper([this] { ++m_beeps; });
    return state;
}

void PackageIntakeTest::runToResult(ContentViewState &state, const QString &path)
{
    state.beginInspection(fileUrl(path));
    QVERIFY(state.isInspecting());
    QTRY_VERIFY(!state.isInspecting());
}

void PackageIntakeTest::accepted_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<bool>("diskImage");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("stages");

    const QString application = QStringLiteral("Inspecting Application\u2026");
    const QString diskImage = QStringLiteral("Inspecting DMG\u2026");
    QTest::newRow("upper-case app") << "/Builds/Example.APP" << "Example.APP" << false << application << "apppp";
    QTest::newRow("mixed-case dmg") << "/Builds/Example.Dmg" << "Example.Dmg" << true << diskImage << "appppp";
    QTest::newRow("dots in the name") << "/Builds/Release.1.2.app" << "Release.1.2.app" << false << application
                                      << "apppp";
    QTest::newRow("bundle as a directory URL") << "/Builds/Example.app/" << "Example.app" << false << application
                                               << "apppp";
    QTest::newRow("spaces in the name") << "/Builds/My Tool.dmg" << "My Tool.dmg" << true << diskImage
                                        << "appppp";
}

void PackageIntakeTest::accepted()
{
    QFETCH(QString, path);
    QFETCH(QString, targetName);
    QFETCH(bool, diskImage);
    QFETCH(QString, heading);
    QFETCH(QString, stages);

    auto state = makeState();
    state->beginInspection(fileUrl(path));

    QCOMPARE(m_beeps, 0);
    QVERIFY(state->isInspecting());
    QCOMPARE(state->screen(), ContentViewState::Screen::liveInspection);
    QVERIFY(!state->canCheckAnother());
    QCOMPARE(state->inspectionTargetName(), targetName);
    QCOMPARE(state->inspectionTargetIsDiskImage(), diskImage);
    QCOMPARE(state->inspectingHeading(), heading);
    QCOMPARE(statusLetters(*state->liveStages()), stages);

    QTRY_VERIFY(state->hasInspection());
    QVERIFY(!state->isInspecting());
    QCOMPARE(state->screen(), ContentViewState::Screen::results);
    QVERIFY(state->canCheckAnother());
    QCOMPARE(state->inspection()->kind, diskImage ? PackageKind::diskImage : PackageKind::application);
}

void PackageIntakeTest::refused_data()
{
    QTest::addColumn<QUrl>("url");

    QTest::newRow("zip of a bundle") << fileUrl("/Builds/Example.app.zip");
    QTest::newRow("installer package") << fileUrl("/Builds/Example.pkg");
    QTest::newRow("partial download") << fileUrl("/Builds/Example.dmg.part");
    QTest::newRow("folder without an extension") << fileUrl("/Builds/Example/");
}

// A refusal beeps once and leaves every field as it was.
void PackageIntakeTest::refused()
{
    QFETCH(QUrl, url);

    auto state = makeState();
    SignalLog log(*state);
    state->beginInspection(url);

    QCOMPARE(m_beeps, 1);
    QCOMPARE(log.names, QStringList());
    QCOMPARE(state->screen(), ContentViewState::Screen::landing);
    QCOMPARE(state->inspectionTargetName(), QString());
    QCOMPARE(state->liveStages()->rowCount(), 0);
    QCOMPARE(m_tools.calls->load(), 0);
}

void PackageIntakeTest::acceptingAfterASavedReportClearsItFirst()
{
    auto state = makeState();
    runToResult(*state, "/Builds/Example.app");
    state->setReleaseReportSaved(true);

    SignalLog log(*state);
    state->beginInspection(fileUrl("/Builds/Example.dmg"));

    const QStringList intakeOrder = {"inspection", "releaseReportSaved", "inspectionTargetName",
                                     "inspectionTargetKind", "liveStages", "isInspecting", "screen"};
    QCOMPARE(log.names, intakeOrder);
    QVERIFY(!state->hasInspection());
    QVERIFY(!state->releaseReportSaved());
    QTRY_VERIFY(!state->isInspecting());
}

void PackageIntakeTest::resetKeepsTheTargetKind()
{
    auto state = makeState();
    state->setShowingAbout(true);
    state->setIsTargeted(true);
    runToResult(*state, "/Builds/Example.dmg");
    state->setReleaseReportSaved(true);

    state->checkAnother();

    QCOMPARE(state->screen(), ContentViewState::Screen::landing);
    QVERIFY(!state->hasInspection());
    QVERIFY(!state->isInspecting());
    QCOMPARE(state->inspectionTargetName(), QString());
    QCOMPARE(state->liveStages()->rowCount(), 0);
    QVERIFY(!state->releaseReportSaved());
    QVERIFY(state->inspectionTargetIsDiskImage());
    QVERIFY(state->showingAbout());
    QVERIFY(state->isTargeted());
}

// The drop handler returns before the intake runs; a URL that is not one
// changes nothing and makes no sound.
void PackageIntakeTest::droppedUrlIsHandedOverLater()
{
    auto state = makeState();
    state->receiveDroppedUrl(QUrl());
    state->receiveDroppedUrl(fileUrl("/Builds/Example.app"));
    QVERIFY(!state->isInspecting());

    QTRY_VERIFY(state->isInspecting());
    QCOMPARE(state->inspectionTargetName(), QStringLiteral("Example.app"));
    QCOMPARE(m_beeps, 0);
    QTRY_VERIFY(!state->isInspecting());
}

void PackageIntakeTest::secondIntakeDuringARunIsIgnored()
{
    auto state = makeState();
    state->beginInspection(fileUrl("/Builds/First.app"));
    state->beginInspection(fileUrl("/Builds/Second.dmg"));
    state->beginInspection(fileUrl("/Builds/Third.zip"));

    QCOMPARE(state->inspectionTargetName(), QStringLiteral("First.app"));
    QCOMPARE(m_beeps, 0);
    QTRY_VERIFY(state->hasInspection());
    QCOMPARE(state->inspection()->displayName, QStringLiteral("First"));
}

// The run goes on to its end (every tool call is made) without touching the
// freed state. Also run under AddressSanitizer.
void PackageIntakeTest::closingAWindowDuringARun()
{
    auto state = makeState();
    state->setPacingClock(steadyPacingClock());
    state->beginInspection(fileUrl("/Builds/Example.app"));
    QTRY_COMPARE(statusLetters(*state->liveStages()), QStringLiteral("Pappp"));
    state.reset();

    QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    QCOMPARE(m_tools.calls->load(), 4);
}

QTEST_GUILESS_MAIN(PackageIntakeTest)

#include "package_intake_test.moc"
