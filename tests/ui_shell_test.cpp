// Main windows offscreen: the screens, drags onto the drop zone, live stage rows, windows side by side.

#include "window_harness.h"

#include "ui/app_commands.h"
#include "ui/engine_setup.h"
#include "ui/status_palette.h"
#include "ui/symbols.h"

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

} // namespace

class UiShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setUpQuickControlsStyle();
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }

    void screensFollowTheState()
    {
        WindowHarness harness;
        ToolScript script({}, {"/usr/bin/codesign", "--verify"});
        harness.prepareRuns(script.tools());
        QQuickItem *checkAnother = harness.item("checkAnotherButton");
        QVERIFY(harness.item("landingView")->isVisible());
        QVERIFY(!checkAnother->isVisible());

        const QString name = QString("Very Long Release Candidate ").repeated(8) + "Build.app";
        QVERIFY(dropFiles(harness, {name}));
        QTRY_VERIFY(harness.item("liveInspectionView")->isVisible());
        QVERIFY(!harness.item("landingView")->isVisible());
        QVERIFY(!checkAnother->isVisible());
        QCOMPARE(harness.item("inspectingHeading")->property("text").toString(), "Inspecting Application\u2026");
        QQuickItem *shownName = harness.item("inspectionTargetName"); // a long name stays on one line
        QCOMPARE(shownName->property("text").toString(), name);
        QCOMPARE(shownName->property("lineCount").toInt(), 1);

        script.release();
        QTRY_VERIFY(harness.item("resultsScroll")->isVisible());
        QVERIFY(checkAnother->isVisible());
        QTest::mouseClick(harness.window(), Qt::LeftButton, {}, WindowHarness::centreOf(checkAnother).toPoint());
        QTRY_VERIFY(harness.item("landingView")->isVisible());
        QVERIFY(!checkAnother->isVisible());
    }

    // A drag the zone takes highlights it while over it; its drop starts a run, or beeps.
    void dragOntoTheZone_data()
    {
        QTest::addColumn<QStringList>("names"); // file names; {"text"} stands for a text-only drag
        QTest::addColumn<qreal>("beside");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("inspected"); // empty when no run starts: a beep if the drop was accepted

        QTest::newRow("app on the zone") << QStringList{"Example.app"} << 0.0 << true << "Example.app";
        QTest::newRow("dmg on the left strip") << QStringList{"Example.dmg"} << -20.0 << true << "Example.dmg";
        QTest::newRow("several files on the right strip inspect the first")
            << QStringList{"First.dmg", "Second.app"} << 20.0 << true << "First.dmg";
        QTest::newRow("zip beeps and stays") << QStringList{"Example.app.zip"} << 0.0 << true << "";
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
        QVERIFY(harness.state()->isInspecting() == !inspected.isEmpty());
        QVERIFY(!harness.state()->isTargeted());
    }

    void liveRows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("holdAt");
        QTest::addColumn<QStringList>("rows"); // "title: label", the label empty while pending

        QTest::newRow("application at its entitlements")
            << "Example.app" << QStringList{"/usr/bin/codesign", "-d"}
            << QStringList{"Verifying code signature: PASS", "Checking Developer ID: WARN",
                           "Checking Hardened Runtime: PASS", "Reviewing release entitlements: CHECKING",
                           "Running Gatekeeper assessment: "};
        QTest::newRow("disk image at its assessment")
            << "Example.dmg" << QStringList{"/usr/sbin/spctl", "--assess"}
            << QStringList{"Verifying disk image: PASS", "Checking Developer ID signature: PASS",
                           "Validating notarization ticket: FAIL", "Running Gatekeeper assessment: CHECKING",
                           "Mounting disk image: ", "Inspecting packaged application: "};
    }

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
            QList<QQuickItem *> items = harness.item("stageList")->childItems();
            items.removeIf([](QQuickItem *row) { return row->objectName() != "stageRow"; });
            std::sort(items.begin(), items.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
            QStringList shown;
            for (QQuickItem *row : items) {
                const auto text = [row](const char *name) {
                    auto *part = row->findChild<QQuickItem *>(name);
                    return part->isVisible() ? part->property("text").toString() : QString();
                };
                shown << text("stageTitle") + ": " + text("stageLabel");
            }
            return shown;
        };
        QTRY_COMPARE(shownRows(), rows);
    }

    void symbolsRenderTinted()
    {
        const QColor tint = systemGreen();
        for (const QString &name : symbolNames()) {
            const QImage image = renderSymbol(name, QSize(44, 44), tint);
            int drawn = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    drawn += image.pixelColor(x, y) == tint; // opaque, in the tint
            }
            QVERIFY2(image.size() == QSize(44, 44) && drawn > 0, qPrintable(name));
        }
        QVERIFY(renderSymbol("no.such.symbol", QSize(44, 44), tint).isNull());
    }

    void windowsShareOnlyTheCommands()
    {
        WindowHarness harness;
        auto *commands = harness.engine().singletonInstance<AppCommands *>(qmlTypeId("Veristamp", 1, 0, "AppCommands"));
        commands->newWindow();
        commands->newWindow();
        ToolScript script({}, {"/usr/bin/codesign", "--verify"});
        harness.prepareRuns(script.tools());

        QVERIFY(dropFiles(harness, {"Example.app"}));
        QTRY_VERIFY(harness.state(0)->isInspecting());
        QVERIFY(!harness.state(1)->isInspecting());
        QVERIFY(harness.item("landingView", 1)->isVisible());
        harness.state(1)->setShowingAbout(true);
        commands->showAbout();
        for (int index = 0; index < 3; ++index)
            QVERIFY(harness.state(index)->showingAbout());

        // Closing a window discards it with its state; the others stay as they were.
        QPointer<ContentViewState> closedState = harness.state(1);
        harness.window(1)->close();
        QTRY_VERIFY(closedState.isNull());
        QCOMPARE(harness.windows().size(), 2);
        QVERIFY(harness.state(0)->isInspecting());
    }
};

QTEST_MAIN(UiShellTest)
#include "ui_shell_test.moc"
