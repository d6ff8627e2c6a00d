// Main windows offscreen: drags onto the drop zone and packages opened from
// outside (QFileOpenEvent), live stage rows, the About sheet, the symbols,
// windows side by side, and a window's state through runs and resets.

#include "window_harness.h"

#include "live/inspection_worker.h"
#include "ui/intake/file_open_intake.h"
#include "ui/style/status_palette.h"
#include "ui/style/symbols.h"
#include "ui/window/app_commands.h"
#include "ui/window/engine_setup.h"

#include <QFileOpenEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

namespace {

QList<QUrl> files(const QStringList &names)
{
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << QUrl::fromLocalFile("/tmp/veristamp-ui-test/" + name);
    return urls;
}

// A point level with the drop zone's centre: on it for 0, else that far beside its left (< 0) or right (> 0)
// edge. The strips beside the zone are 40 points wide.
QPointF spotOn(const WindowHarness &harness, qreal beside = 0)
{
    const QQuickItem *zone = harness.item("dropZone");
    const QRectF rect(zone->mapToScene(QPointF(0, 0)), zone->size());
    return {beside < 0 ? rect.left() + beside : beside > 0 ? rect.right() + beside : rect.center().x(),
            rect.center().y()};
}

bool dropFiles(const WindowHarness &harness, const QStringList &names)
{
    QMimeData data;
    data.setUrls(files(names));
    return WindowHarness::drop(harness.window(), spotOn(harness), data);
}

AppCommands *commandsOf(WindowHarness &harness)
{
    return harness.engine().singletonInstance<AppCommands *>(qmlTypeId("Veristamp", 1, 0, "AppCommands"));
}

} // namespace

class UiShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpQuickControlsStyle(); }

    // A drag the zone takes highlights it while over it; its drop starts a run
    // (by the extension alone, in any letter case), or beeps.
    void dragOntoTheZone_data()
    {
        QTest::addColumn<QStringList>("names"); // file names; {"text"} stands for a text-only drag
        QTest::addColumn<qreal>("beside");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("inspected"); // empty when no run starts: a beep if the drop was accepted

        QTest::newRow("app in capitals on the zone") << QStringList{"Example.APP"} << 0.0 << true << "Example.APP";
        QTest::newRow("dmg in mixed case on the left strip") << QStringList{"Example.Dmg"} << -20.0 << true << "Example.Dmg";
        QTest::newRow("several files on the right strip inspect the first")
            << QStringList{"First.dmg", "Second.app"} << 20.0 << true << "First.dmg";
        QTest::newRow("bundle as a folder URL") << QStringList{"Example.app/"} << 0.0 << true << "Example.app";
        QTest::newRow("partial download beeps and stays") << QStringList{"Example.dmg.part"} << 0.0 << true << "";
        QTest::newRow("folder without an extension beeps") << QStringList{"Example/"} << 0.0 << true << "";
        QTest::newRow("beyond the side strip") << QStringList{"Example.app"} << -46.0 << false << "";
        QTest::newRow("no items") << QStringList{} << 0.0 << false << "";
        QTest::newRow("text only") << QStringList{"text"} << 0.0 << false << "";
    }

    void dragOntoTheZone()
    {
        QFETCH(QStringList, names);
        QFETCH(qreal, beside);
        QFETCH(bool, accepted);
        QFETCH(QString, inspected);

        WindowHarness harness;
        ToolScript script({}, {"/usr/bin/codesign", "--verify"});
        harness.prepareRuns(script.tools());
        int beeped = 0;
        harness.state()->setBeeper([&beeped] { ++beeped; });
        QMimeData data;
        if (names == QStringList{"text"})
            data.setText("Example.app");
        else if (!names.isEmpty())
            data.setUrls(files(names));

        const auto fill = [&] { return harness.item("dropZoneFill")->property("color").value<QColor>(); };
        const QColor resting = fill();
        QCOMPARE(WindowHarness::hover(harness.window(), spotOn(harness, beside), data), accepted);
        QCOMPARE(harness.state()->isTargeted(), accepted);
        QCOMPARE(fill() != resting, accepted);
        WindowHarness::leave(harness.window());
        QCOMPARE(fill(), resting);

        QCOMPARE(WindowHarness::drop(harness.window(), spotOn(harness, beside), data), accepted);
        if (!inspected.isEmpty())
            QTRY_COMPARE(harness.state()->inspectionTargetName(), inspected);
        else if (accepted) // the intake is asynchronous: its refusal is the beep
            QTRY_COMPARE(beeped, 1);
        QCOMPARE(beeped, accepted && inspected.isEmpty() ? 1 : 0);
        QVERIFY(harness.state()->isInspecting() == !inspected.isEmpty() && !harness.state()->isTargeted());
    }

    // A refused file beeps as a refused drop does, a window on its landing
    // screen takes a package, and a window showing a result is left for a new one.
    void openedFilesGoThroughAWindowsIntake()
    {
        WindowHarness harness;
        ToolScript script(mixedToolOutcomes);
        int beeped = 0;
        harness.state()->setBeeper([&beeped] { ++beeped; });
        FileOpenIntake intake(harness.engine());
        qApp->installEventFilter(&intake);
        const auto open = [&](const QString &name) {
            QFileOpenEvent event(QUrl::fromLocalFile("/tmp/veristamp-open-test/" + name));
            QCoreApplication::sendEvent(qApp, &event);
            harness.prepareRuns(script.tools());
        };
        open("notes.txt");
        QTRY_COMPARE(beeped, 1);
        open("Tidewater.APP");
        QTRY_COMPARE(harness.state()->screen(), ContentViewState::Screen::results);
        open("Quarry 0.9 beta.dmg");
        QCOMPARE(harness.windows().size(), 2);
        QTRY_COMPARE(harness.state(1)->inspectionTargetName(), QStringLiteral("Quarry 0.9 beta.dmg"));
        QCOMPARE(harness.state(0)->inspectionTargetName(), QStringLiteral("Tidewater.APP"));
        QCOMPARE(beeped, 1);
    }

    void liveRows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("holdAt");
        QTest::addColumn<QStringList>("rows"); // the heading, then "title: label", the label empty while pending

        QTest::newRow("application at its entitlements")
            << QString("Very Long Release Candidate ").repeated(8) + "Build.app" << QStringList{"/usr/bin/codesign", "-d"}
            << QStringList{"Inspecting Application\u2026", "Verifying code signature: PASS", "Checking Developer ID: WARN",
                           "Checking Hardened Runtime: PASS", "Reviewing release entitlements: CHECKING",
                           "Running Gatekeeper assessment: "};
        QTest::newRow("disk image at its assessment")
            << "Example.dmg" << QStringList{"/usr/sbin/spctl", "--assess"}
            << QStringList{"Inspecting DMG\u2026", "Verifying disk image: PASS", "Checking Developer ID signature: PASS",
                           "Validating notarization ticket: FAIL", "Running Gatekeeper assessment: CHECKING",
                           "Mounting disk image: ", "Inspecting packaged application: "};
    }

    // Also: the target's name, however long, stays on one line.
    void liveRows()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, holdAt);
        QFETCH(QStringList, rows);

        WindowHarness harness;
        ToolScript script(mixedToolOutcomes, holdAt);
        harness.prepareRuns(script.tools());
        QVERIFY(dropFiles(harness, {name}));
        const auto shownRows = [&] {
            if (!harness.item("stageList")) // the live screen is made when the run shows it
                return QStringList();
            QList<QQuickItem *> items = harness.item("stageList")->childItems();
            items.removeIf([](QQuickItem *row) { return row->objectName() != "stageRow"; });
            std::sort(items.begin(), items.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
            QStringList shown{harness.item("inspectingHeading")->property("text").toString()};
            for (QQuickItem *row : items) {
                auto *label = row->findChild<QQuickItem *>("stageLabel");
                shown << row->findChild<QQuickItem *>("stageTitle")->property("text").toString() + ": "
                        + (label->isVisible() ? label->property("text").toString() : QString());
            }
            return shown;
        };
        QTRY_COMPARE(shownRows(), rows);
        QCOMPARE(harness.item("inspectionTargetName")->property("text").toString(), name);
        QCOMPARE(harness.item("inspectionTargetName")->property("lineCount").toInt(), 1);
    }

    // Opened by its button, kept open by a second request, closed by "Done" and by Return;
    // only the support address is selectable; in the smallest window it fits.
    void aboutSheet()
    {
        WindowHarness harness;
        QQuickWindow *window = harness.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(!window->findChild<QObject *>("aboutSheet")); // made when first asked for
        QTest::mouseClick(window, Qt::LeftButton, {}, WindowHarness::centreOf(harness.item("aboutButton")).toPoint());
        QObject *sheet = nullptr;
        QTRY_VERIFY((sheet = window->findChild<QObject *>("aboutSheet")) && sheet->property("opened").toBool());
        auto *content = sheet->property("contentItem").value<QQuickItem *>();
        QStringList selectable;
        for (QQuickItem *item : content->findChildren<QQuickItem *>())
            if (item->property("selectByMouse").toBool())
                selectable << item->property("text").toString();
        QCOMPARE(selectable, QStringList{"support@veristamp.dev"});
        commandsOf(harness)->showAbout();
        QVERIFY(harness.state()->showingAbout() && sheet->property("visible").toBool());

        QTest::mouseClick(window, Qt::LeftButton, {}, WindowHarness::centreOf(harness.item("aboutDoneButton")).toPoint());
        QTRY_VERIFY(!sheet->property("visible").toBool());
        QVERIFY(!harness.state()->showingAbout());
        commandsOf(harness)->showAbout();
        QTRY_VERIFY(sheet->property("opened").toBool());
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_VERIFY(!sheet->property("visible").toBool());

        harness.state()->showAbout(); // in the smallest window: "Done" in view, the body scrolling with a scroll bar
        window->resize(760, 560);
        QTRY_VERIFY(sheet->property("height").toReal() < 560.0);
        QQuickItem *body = harness.item("aboutBody");
        QVERIFY(body->property("contentHeight").toReal() > body->height());
        QVERIFY(harness.item("aboutScrollBar")->isVisible());
        QVERIFY(WindowHarness::centreOf(harness.item("aboutDoneButton")).y() < 560);
    }

    // Every symbol the screens name draws at the size asked, somewhere opaque in the tint.
    void symbolsRenderTinted()
    {
        for (const QString &name : symbolNames()) {
            const QImage image = renderSymbol(name, QSize(44, 44), systemGreen()).convertToFormat(QImage::Format_ARGB32);
            const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
            QVERIFY2(image.size() == QSize(44, 44) && std::count(pixels, pixels + 44 * 44, systemGreen().rgba()), qPrintable(name));
        }
        QVERIFY(renderSymbol("no.such.symbol", QSize(44, 44), systemGreen()).isNull());
    }

    void windowsShareOnlyTheCommands()
    {
        WindowHarness harness;
        AppCommands *commands = commandsOf(harness);
        commands->newWindow();
        commands->newWindow();
        ToolScript script({}, {"/usr/bin/codesign", "--verify"});
        harness.prepareRuns(script.tools());

        QVERIFY(dropFiles(harness, {"Example.app"}));
        QTRY_VERIFY(harness.state(0)->isInspecting());
        QVERIFY(!harness.state(1)->isInspecting() && harness.item("landingView", 1)->isVisible());
        commands->showAbout();
        QVERIFY(harness.state(0)->showingAbout() && harness.state(1)->showingAbout() && harness.state(2)->showingAbout());

        // Closing a window discards it with its state; the others stay as they were.
        QPointer<ContentViewState> closedState = harness.state(1);
        harness.window(1)->close();
        QTRY_VERIFY(closedState.isNull());
        QVERIFY(harness.windows().size() == 2 && harness.state(0)->isInspecting());
    }

    // An empty URL is dropped silently and a second drop while the first runs
    // is ignored; a new package clears the last result and its saved report;
    // "Check Another App or DMG" clears everything of the run but the target's kind.
    void dropsRunsAndResets()
    {
        ManualClock clock(true); // tools that answer at once, a clock that never waits: a run ends as it starts
        ContentViewState state;
        state.setReleaseTools(ReleaseTools{[](const ToolCall &) { return Program::DataResult{0, {}, {}}; }});
        state.setPacingClock(&clock);
        state.receiveDroppedUrl(QUrl());
        state.receiveDroppedUrl(QUrl::fromLocalFile("/B/First.app"));
        state.receiveDroppedUrl(QUrl::fromLocalFile("/B/Second.dmg"));
        QVERIFY(!state.isInspecting()); // handed over later
        QTRY_VERIFY(state.hasInspection());
        QCOMPARE(state.inspectionTargetName(), QStringLiteral("First.app"));

        state.setReleaseReportSaved(true);
        state.beginInspection(QUrl::fromLocalFile("/B/Example.dmg"));
        QVERIFY(!state.hasInspection() && !state.releaseReportSaved() && state.isInspecting());
        QTRY_VERIFY(state.hasInspection());
        state.setReleaseReportSaved(true);
        state.checkAnother();
        QCOMPARE(state.screen(), ContentViewState::Screen::landing);
        QVERIFY(!state.hasInspection() && !state.isInspecting() && !state.releaseReportSaved());
        QVERIFY(state.inspectionTargetName().isEmpty() && state.liveStages()->rowCount() == 0);
        QVERIFY(state.inspectionTargetIsDiskImage());
    }

    // A window's state goes while its run waits on a tool: the run ends on
    // its own and writes nothing into the freed state (ASan).
    void stateFreedDuringARun()
    {
        ToolScript script({}, {"/usr/bin/codesign", "--verify"});
        auto state = std::make_unique<ContentViewState>();
        state->setReleaseTools(script.tools());
        state->beginInspection(QUrl::fromLocalFile("/tmp/Example.app"));
        QTRY_VERIFY(script.holding());
        state.reset();
        script.release();
        QTRY_VERIFY(QCoreApplication::instance()->findChildren<InspectionWorker *>().isEmpty());
    }
};

QTEST_MAIN(UiShellTest)
#include "ui_shell_test.moc"
