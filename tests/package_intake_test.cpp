#include "live/inspection_worker.h"
#include "test_doubles.h"
#include "ui/content_view_state.h"

#include <QCoreApplication>
#include <QTest>

#include <atomic>
#include <memory>

using Screen = ContentViewState::Screen;

namespace {

QString letters(const LiveStageModel &model)
{
    QString text;
    for (const LiveInspectionStage &stage : model.stages())
        text += QLatin1Char("paPWF"[int(stage.status)]);
    return text;
}

QUrl file(const char *path) { return QUrl::fromLocalFile(QString::fromUtf8(path)); }

} // namespace

class PackageIntakeTest : public QObject {
    Q_OBJECT

    std::shared_ptr<std::atomic<int>> m_toolCalls = std::make_shared<std::atomic<int>>(0);
    int m_beeps = 0;
    ManualClock m_clock{true};

    std::unique_ptr<ContentViewState> makeState()
    {
        auto state = std::make_unique<ContentViewState>();
        state->setReleaseTools(ReleaseTools{[calls = m_toolCalls](const ToolCall &) {
            ++*calls;
            return Shell::DataResult{0, {}, {}};
        }});
        state->setPacingClock(&m_clock);
        state->setBeeper([this] { ++m_beeps; });
        return state;
    }

private slots:
    void cleanup()
    {
        QTRY_VERIFY(QCoreApplication::instance()->findChildren<InspectionWorker *>().isEmpty());
        *m_toolCalls = 0;
        m_beeps = 0;
    }

    void intake_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("targetName"); // empty: refused
        QTest::addColumn<QString>("stages");
        QTest::newRow("upper-case app") << file("/B/Example.APP") << "Example.APP" << "apppp";
        QTest::newRow("mixed-case dmg") << file("/B/Example.Dmg") << "Example.Dmg" << "appppp";
        QTest::newRow("dots in the name") << file("/B/Release.1.2.app") << "Release.1.2.app" << "apppp";
        QTest::newRow("bundle as a directory URL") << file("/B/Example.app/") << "Example.app" << "apppp";
        QTest::newRow("zip of a bundle") << file("/B/Example.app.zip") << "" << "";
        QTest::newRow("installer package") << file("/B/Example.pkg") << "" << "";
        QTest::newRow("partial download") << file("/B/Example.dmg.part") << "" << "";
        QTest::newRow("folder without an extension") << file("/B/Example/") << "" << "";
    }

    // Refused: one beep and nothing else changes.
    void intake()
    {
        QFETCH(QUrl, url);
        QFETCH(QString, targetName);
        QFETCH(QString, stages);
        auto state = makeState();
        state->beginInspection(url);
        QCOMPARE(m_beeps, targetName.isEmpty() ? 1 : 0);
        QCOMPARE(state->inspectionTargetName(), targetName);
        QCOMPARE(letters(*state->liveStages()), stages);
        const char *heading = stages.size() == 6 ? "Inspecting DMG\u2026" : "Inspecting Application\u2026";
        QCOMPARE(state->inspectingHeading(), QString::fromUtf8(heading));
        QCOMPARE(state->screen(), targetName.isEmpty() ? Screen::landing : Screen::liveInspection);
    }

    void acceptingAfterASavedReportClearsItFirst()
    {
        auto state = makeState();
        state->beginInspection(file("/B/Example.app"));
        QTRY_VERIFY(state->hasInspection());
        state->setReleaseReportSaved(true);
        QStringList order;
        for (const auto &[signal, name] : QList<std::pair<void (ContentViewState::*)(), const char *>>{
                 {&ContentViewState::inspectionChanged, "inspection"},
                 {&ContentViewState::releaseReportSavedChanged, "releaseReportSaved"},
                 {&ContentViewState::inspectionTargetNameChanged, "inspectionTargetName"},
                 {&ContentViewState::isInspectingChanged, "isInspecting"}})
            connect(state.get(), signal, this, [&order, name = name] { order.append(name); });
        state->beginInspection(file("/B/Example.dmg"));
        QCOMPARE(order, (QStringList{"inspection", "releaseReportSaved", "inspectionTargetName", "isInspecting"}));
        QVERIFY(!state->hasInspection() && !state->releaseReportSaved());
    }

    void resetKeepsTheTargetKind()
    {
        auto state = makeState();
        state->beginInspection(file("/B/Example.dmg"));
        QTRY_VERIFY(state->hasInspection());
        state->setReleaseReportSaved(true);
        state->checkAnother();
        QCOMPARE(state->screen(), Screen::landing);
        QVERIFY(!state->hasInspection() && !state->isInspecting() && !state->releaseReportSaved());
        QVERIFY(state->inspectionTargetName().isEmpty() && state->liveStages()->rowCount() == 0);
        QVERIFY(state->inspectionTargetIsDiskImage());
    }

    // An empty URL is dropped silently; a second drop while the first runs is ignored.
    void droppedUrlsReachTheIntakeLater()
    {
        auto state = makeState();
        state->receiveDroppedUrl(QUrl());
        state->receiveDroppedUrl(file("/B/First.app"));
        state->receiveDroppedUrl(file("/B/Second.dmg"));
        QVERIFY(!state->isInspecting());
        QTRY_VERIFY(state->hasInspection());
        QCOMPARE(state->inspectionTargetName(), QStringLiteral("First.app"));
    }
};

QTEST_GUILESS_MAIN(PackageIntakeTest)

#include "package_intake_test.moc"
