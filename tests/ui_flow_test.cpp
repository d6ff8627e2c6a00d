// The whole road of one package through a real window: dropped on the
// landing screen, inspected by the stand-in release tools,
// shown on the results screen, and saved through the evidence card's button.
// The saved file must be the report of the result on screen.

#include "window_harness.h"

#include "engine/tool_root.h"
#include "report/report_text.h"
#include "ui/engine_setup.h"
#include "ui/release_report_saver.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

namespace {

// The report without its "Generated:" line, the one line that depends on the moment.
QStringList undated(const QString &report)
{
    QStringList lines = report.split(QLatin1Char('\n'));
    lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("Generated: ")); });
    return lines;
}

} // namespace

class UiFlowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void dropInspectAndSave_data();
    void dropInspectAndSave();
};

void UiFlowTest::initTestCase()
{
    setUpQuickControlsStyle();
}

void UiFlowTest::dropInspectAndSave_data()
{
    QTest::addColumn<QString>("package");
    QTest::addColumn<QString>("verdict");

    QTest::newRow("disk image whose app is not notarized") << "dmgs/FailingEmbeddedApp.dmg" << "DO NOT SHIP";
}

void UiFlowTest::dropInspectAndSave()
{
    QFETCH(QString, package);
    QFETCH(QString, verdict);
    WindowHarness harness;
    QVERIFY(harness.window() && QTest::qWaitForWindowExposed(harness.window()));
    harness.prepareRuns(releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)));
    ContentViewState *state = harness.state();

    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(QStringLiteral(VERISTAMP_TEST_PACKAGES "/") + package)});
    QVERIFY(WindowHarness::drop(harness.window(), WindowHarness::centreOf(harness.item("dropZone")), dragged));
    QTRY_VERIFY(state->isInspecting());
    QTRY_VERIFY_WITH_TIMEOUT(state->screen() == ContentViewState::Screen::results, 30'000);
    QCOMPARE(state->inspectionView()->verdictTitle(), verdict);
    // The result arrived behind the live screen; the header is still laid out for it.
    QQuickItem *badge = harness.item(QStringLiteral("verdictBadge"));
    QVERIFY(badge->parentItem()->width() > badge->implicitWidth());

    QTemporaryDir folder;
    FakeSaveDialogs dialogs;
    dialogs.answer = folder.filePath(QStringLiteral("report.txt"));
    auto *saver = harness.window()->findChild<ReleaseReportSaver *>(QStringLiteral("releaseReportSaver"));
    QVERIFY(saver);
    saver->setDialogs(&dialogs);
    QQuickItem *button = harness.item(QStringLiteral("saveReportButton"));
    QTest::mouseClick(harness.window(), Qt::LeftButton, {}, WindowHarness::centreOf(button).toPoint());
    QTRY_VERIFY(state->releaseReportSaved());
    QVERIFY(dialogs.failures.isEmpty());

    QFile saved(*dialogs.answer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(saved.readAll());
    QVERIFY(written.contains(QLatin1String("\nGenerated: ")));
    QCOMPARE(undated(written), undated(releaseReportText(*state->inspection())));
    QCOMPARE(button->property("text").toString(), QStringLiteral("Saved"));
    QVERIFY(!button->isEnabled());
}

QTEST_MAIN(UiFlowTest)
#include "ui_flow_test.moc"
