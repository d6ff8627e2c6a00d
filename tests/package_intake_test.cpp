// The intake of a window's state: which dropped items start a run, what the
// state looks like when they do, the reset, and a window closed mid-run.
// Runs use scripted tools that answer at once and a virtual clock.

#include "ui/content_view_state.h"

#include <QTest>
#include <QThreadPool>

#include <atomic>
#include <memory>

using std::chrono::nanoseconds;

namespace {

QString letters(const LiveStageModel &model)
{
    QString text;
    for (const LiveInspectionStage &stage : model.stages())
        text += QLatin1Char("paPWF"[int(stage.status)]);
    return text;
}

QUrl file(const char *path)
{
    return QUrl::fromLocalFile(QString::fromUtf8(path));
}

} // namespace

class PackageIntakeTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void intake_data();
    void intake();
    void acceptingAfterASavedReportClearsItFirst();
    void resetKeepsTheTargetKind();
    void droppedUrlsReachTheIntakeLater();
    void closingAWindowDuringARun();

private:
    std::unique_ptr<ContentViewState> makeState();

    std::shared_ptr<std::atomic<int>> m_toolCalls = std::make_shared<std::atomic<int>>(0);
    int m_beeps = 0;
};

// No worker of one test may still run into the next.
void PackageIntakeTest::cleanup()
{
    QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    *m_toolCalls = 0;
    m_beeps = 0;
}

std::unique_ptr<ContentViewState> PackageIntakeTest::makeState()
{
    auto state = std::make_unique<ContentViewState>();
    state->setReleaseTools(ReleaseTools{[calls = m_toolCalls](const ToolCall &) {
        ++*calls;
        return Shell::DataResult{0, {}, {}};
    }});
    auto ticks = std::make_shared<std::atomic<std::int64_t>>(0);
    state->setPacingClock({[ticks] { return nanoseconds(ticks->load()); },
                           [ticks](nanoseconds time) { *ticks += time.count(); }});
    state->setBeeper([this] { ++m_beeps; });
    return state;
}

void PackageIntakeTest::intake_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("targetName"); // empty: refused
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("stages");

    const QString app = QStringLiteral("Inspecting Application\u2026");
    const QString dmg = QStringLiteral("Inspecting DMG\u2026");
    QTest::newRow("upper-case app") << file("/B/Example.APP") << "Example.APP" << app << "apppp";
    QTest::newRow("mixed-case dmg") << file("/B/Example.Dmg") << "Example.Dmg" << dmg << "appppp";
    QTest::newRow("dots in the name") << file("/B/Release.1.2.app") << "Release.1.2.app" << app << "apppp";
    QTest::newRow("bundle as a directory URL") << file("/B/Example.app/") << "Example.app" << app << "apppp";
    QTest::newRow("zip of a bundle") << file("/B/Example.app.zip") << "" << app << "";
    QTest::newRow("installer package") << file("/B/Example.pkg") << "" << app << "";
    QTest::newRow("partial download") << file("/B/Example.dmg.part") << "" << app << "";
    QTest::newRow("folder without an extension") << file("/B/Example/") << "" << app << "";
}

// Accepted: the live screen with the first stage active, later the result.
// Refused: one beep, and the landing screen stays as it was.
void PackageIntakeTest::intake()
{
    QFETCH(QUrl, url);
    QFETCH(QString, targetName);
    QFETCH(QString, heading);
    QFETCH(QString, stages);

    auto state = makeState();
    state->beginInspection(url);

    QCOMPARE(m_beeps, targetName.isEmpty() ? 1 : 0);
    QCOMPARE(state->inspectionTargetName(), targetName);
    QCOMPARE(state->inspectingHeading(), heading);
    QCOMPARE(letters(*state->liveStages()), stages);
    QCOMPARE(state->screen(), targetName.isEmpty() ? ContentViewState::Screen::landing
                                                   : ContentViewState::Screen::liveInspection);
    if (!targetName.isEmpty()) {
        QTRY_COMPARE(state->screen(), ContentViewState::Screen::results);
        QVERIFY(state->canCheckAnother());
    }
}

void PackageIntakeTest::acceptingAfterASavedReportClearsItFirst()
{
    auto state = makeState();
    state->beginInspection(file("/B/Example.app"));
    QTRY_VERIFY(state->hasInspection());
    state->setReleaseReportSaved(true);

    QStringList order;
    const auto note = [&](auto signal, const char *name) {
        connect(state.get(), signal, this, [&order, name] { order.append(name); });
    };
    note(&ContentViewState::inspectionChanged, "inspection");
    note(&ContentViewState::releaseReportSavedChanged, "releaseReportSaved");
    note(&ContentViewState::inspectionTargetNameChanged, "inspectionTargetName");
    note(&ContentViewState::inspectionTargetKindChanged, "inspectionTargetKind");
    connect(state->liveStages(), &LiveStageModel::modelReset, this, [&] { order.append("liveStages"); });
    note(&ContentViewState::isInspectingChanged, "isInspecting");
    note(&ContentViewState::screenChanged, "screen");
    state->beginInspection(file("/B/Example.dmg"));

    QCOMPARE(order, (QStringList{"inspection", "releaseReportSaved", "inspectionTargetName",
                                 "inspectionTargetKind", "liveStages", "isInspecting", "screen"}));
    QVERIFY(!state->hasInspection());
    QVERIFY(!state->releaseReportSaved());
}

void PackageIntakeTest::resetKeepsTheTargetKind()
{
    auto state = makeState();
    state->setShowingAbout(true);
    state->setIsTargeted(true);
    state->beginInspection(file("/B/Example.dmg"));
    QTRY_VERIFY(state->hasInspection());
    state->setReleaseReportSaved(true);

    state->checkAnother();

    QCOMPARE(state->screen(), ContentViewState::Screen::landing);
    QVERIFY(!state->hasInspection() && !state->isInspecting() && !state->releaseReportSaved());
    QCOMPARE(state->inspectionTargetName(), QString());
    QCOMPARE(state->liveStages()->rowCount(), 0);
    QVERIFY(state->inspectionTargetIsDiskImage());
    QVERIFY(state->showingAbout() && state->isTargeted());
}

// The drop handler returns before the intake runs. A URL that is none is
// dropped silently; a second drop arriving while the first one runs is ignored.
void PackageIntakeTest::droppedUrlsReachTheIntakeLater()
{
    auto state = makeState();
    state->receiveDroppedUrl(QUrl());
    state->receiveDroppedUrl(file("/B/First.app"));
    state->receiveDroppedUrl(file("/B/Second.dmg"));
    QVERIFY(!state->isInspecting());

    QTRY_VERIFY(state->hasInspection());
    QCOMPARE(state->inspection()->displayName, QStringLiteral("First"));
    QCOMPARE(state->inspectionTargetName(), QStringLiteral("First.app"));
    QCOMPARE(m_beeps, 0);
}

// The run goes on to its last tool call without touching the freed state
// (this test also runs under AddressSanitizer).
void PackageIntakeTest::closingAWindowDuringARun()
{
    auto state = makeState();
    state->setPacingClock(steadyPacingClock());
    state->beginInspection(file("/B/Example.app"));
    QTRY_COMPARE(letters(*state->liveStages()), QStringLiteral("Pappp"));
    state.reset();

    QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    QCOMPARE(m_toolCalls->load(), 4);
}

QTEST_GUILESS_MAIN(PackageIntakeTest)

#include "package_intake_test.moc"
