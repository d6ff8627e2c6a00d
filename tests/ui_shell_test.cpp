// The window, top bar, landing and live screens on the offscreen platform:
// which screen the state selects, which drags the drop zone takes and what a
// drop starts, the live stage rows, and the commands shared by all windows.

#include "window_harness.h"

#include "ui/app_commands.h"
#include "ui/drop_rules.h"
#include "ui/engine_setup.h"
#include "ui/status_palette.h"
#include "ui/symbols.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

namespace {

const QStringList applicationStages{
    "Verifying code signature", "Checking Developer ID", "Checking Hardened Runtime",
    "Reviewing release entitlements", "Running Gatekeeper assessment",
};
const QStringList diskImageStages{
    "Verifying disk image", "Checking Developer ID signature", "Validating notarization ticket",
    "Running Gatekeeper assessment", "Mounting disk image", "Inspecting packaged application",
};

QUrl package(const QString &name)
{
    return QUrl::fromLocalFile(QStringLiteral("/tmp/veristamp-ui-test/") + name);
}

// Signed for development only, with the Hardened Runtime flag; the image
// Developer ID signed but without a stapled ticket.
Shell::DataResult mixedOutcomes(const ToolCall &call)
{
    const QString first = call.arguments.value(0);
    if (first == "-dv" && call.arguments.last().endsWith(".dmg"))
        return {0, {}, "Authority=Developer ID Application: Jane Doe (ABCDE12345)\n"};
    if (first == "-dv")
        return {0, {}, "Authority=Apple Development: Jane Doe (ABCDE12345)\nflags=0x10000(runtime)\n"};
    if (first == "stapler")
        return {65, {}, "does not have a ticket stapled to it.\n"};
    return {};
}

QList<QQuickItem *> stageRows(const WindowHarness &harness)
{
    QList<QQuickItem *> rows = harness.item("stageList")->childItems();
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](QQuickItem *row) { return row->objectName() != "stageRow"; }),
               rows.end());
    std::sort(rows.begin(), rows.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
    return rows;
}

QQuickItem *child(QQuickItem *row, const char *objectName)
{
    return row->findChild<QQuickItem *>(QString::fromLatin1(objectName));
}

QString shownLabel(QQuickItem *row)
{
    QQuickItem *label = child(row, "stageLabel");
    return label->isVisible() ? label->property("text").toString() : QString();
}

enum class Spot { zoneCentre, leftStrip, rightStrip, beyondLeftStrip, caption };

QPointF spotOn(const WindowHarness &harness, Spot spot)
{
    const QQuickItem *zone = harness.item("dropZone");
    const QRectF zoneRect(zone->mapToScene(QPointF(0, 0)), zone->size());
    const qreal y = zoneRect.center().y();
    switch (spot) {
    case Spot::zoneCentre: return zoneRect.center();
    case Spot::leftStrip: return {zoneRect.left() - 20, y};
    case Spot::rightStrip: return {zoneRect.right() + 20, y};
    case Spot::beyondLeftStrip: return {zoneRect.left() - 46, y};
    case Spot::caption: return WindowHarness::centreOf(harness.item("landingCaption"));
    }
    return {};
}

// Colours keep their alpha in 16 bits: an opacity survives to about 1e-5.
bool opacityIs(const QColor &colour, double opacity)
{
    return qAbs(colour.alphaF() - opacity) < 0.001;
}

AppCommands *appCommands(QQmlEngine &engine)
{
    return engine.singletonInstance<AppCommands *>(qmlTypeId("Veristamp", 1, 0, "AppCommands"));
}

} // namespace

class UiShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void screensFollowTheState();
    void dropOnTheZone_data();
    void dropOnTheZone();
    void hoverHighlightsTheZone_data();
    void hoverHighlightsTheZone();
    void liveRows_data();
    void liveRows();
    void longTargetNameStaysOnOneLine();
    void stageRowLooks_data();
    void stageRowLooks();
    void symbolsRenderTinted();
    void windowsKeepTheirOwnState();
    void aboutReachesEveryWindow();
};

void UiShellTest::initTestCase()
{
    setUpQuickControlsStyle();
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void UiShellTest::screensFollowTheState()
{
    WindowHarness harness;
    ToolScript script({}, {"/usr/bin/codesign", "--verify"});
    harness.prepareRuns(script.tools(), virtualPacingClock());
    QQuickItem *checkAnother = harness.item("checkAnotherButton");
    QVERIFY(harness.item("landingView")->isVisible());
    QVERIFY(!checkAnother->isVisible());

    QMimeData data;
    data.setUrls({package("Example.app")});
    QVERIFY(WindowHarness::drop(harness.window(), spotOn(harness, Spot::zoneCentre), data));
    QTRY_VERIFY(harness.item("liveInspectionView")->isVisible());
    QVERIFY(!harness.item("landingView")->isVisible());
    QVERIFY(!checkAnother->isVisible());
    QCOMPARE(harness.item("inspectingHeading")->property("text").toString(), "Inspecting Application\u2026");

    script.release();
    QTRY_VERIFY(harness.item("resultsScroll")->isVisible());
    QVERIFY(checkAnother->isVisible());

    QTest::mouseClick(harness.window(), Qt::LeftButton, {}, WindowHarness::centreOf(checkAnother).toPoint());
    QTRY_VERIFY(harness.item("landingView")->isVisible());
    QVERIFY(!checkAnother->isVisible());
    QCOMPARE(harness.state()->liveStages()->rowCount(), 0);
}

void UiShellTest::dropOnTheZone_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Spot>("spot");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("inspected"); // the target name, empty when no run starts
    QTest::addColumn<int>("beeps");

    const QList<QUrl> app{package("Example.app")};
    QTest::newRow("app on the zone") << app << "" << Spot::zoneCentre << true << "Example.app" << 0;
    QTest::newRow("dmg on the left strip") << QList<QUrl>{package("Example.dmg")} << "" << Spot::leftStrip << true
                                           << "Example.dmg" << 0;
    QTest::newRow("app on the right strip") << app << "" << Spot::rightStrip << true << "Example.app" << 0;
    QTest::newRow("several files inspect the first")
        << QList<QUrl>{package("First.dmg"), package("Second.app")} << "" << Spot::zoneCentre << true << "First.dmg"
        << 0;
    QTest::newRow("zip beeps and stays") << QList<QUrl>{package("Example.app.zip")} << "" << Spot::zoneCentre
                                         << true << "" << 1;
    QTest::newRow("beyond the side strip") << app << "" << Spot::beyondLeftStrip << false << "" << 0;
    QTest::newRow("on the caption") << app << "" << Spot::caption << false << "" << 0;
    QTest::newRow("no items") << QList<QUrl>{} << "" << Spot::zoneCentre << false << "" << 0;
    QTest::newRow("text only") << QList<QUrl>{} << "Example.app" << Spot::zoneCentre << false << "" << 0;
    QTest::newRow("web address first")
        << QList<QUrl>{QUrl("https://example.com/Example.dmg"), package("Example.app")} << "" << Spot::zoneCentre
        << false << "" << 0;
}

void UiShellTest::dropOnTheZone()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(Spot, spot);
    QFETCH(bool, accepted);
    QFETCH(QString, inspected);
    QFETCH(int, beeps);

    WindowHarness harness;
    ToolScript script({}, {"/usr/bin/codesign", "--verify"});
    harness.prepareRuns(script.tools(), virtualPacingClock());
    int beeped = 0;
    harness.state()->setBeeper([&beeped] { ++beeped; });
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);

    QCOMPARE(WindowHarness::drop(harness.window(), spotOn(harness, spot), data), accepted);
    if (inspected.isEmpty()) {
        QTest::qWait(50); // the intake is asynchronous: let it act, if it would
        QVERIFY(!harness.state()->isInspecting());
        QVERIFY(harness.item("landingView")->isVisible());
    } else {
        QTRY_VERIFY(harness.state()->isInspecting());
        QCOMPARE(harness.state()->inspectionTargetName(), inspected);
    }
    QCOMPARE(beeped, beeps);
    QVERIFY(!harness.state()->isTargeted());
}

void UiShellTest::hoverHighlightsTheZone_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<Spot>("spot");
    QTest::addColumn<bool>("highlighted");

    QTest::newRow("file over the zone") << true << Spot::zoneCentre << true;
    QTest::newRow("file over a side strip") << true << Spot::rightStrip << true;
    QTest::newRow("file over the caption") << true << Spot::caption << false;
    QTest::newRow("text over the zone") << false << Spot::zoneCentre << false;
}

void UiShellTest::hoverHighlightsTheZone()
{
    QFETCH(bool, file);
    QFETCH(Spot, spot);
    QFETCH(bool, highlighted);

    WindowHarness harness;
    QMimeData data;
    if (file)
        data.setUrls({package("Example.app")});
    else
        data.setText("Example.app");
    QQuickItem *fill = harness.item("dropZoneFill");

    QCOMPARE(WindowHarness::hover(harness.window(), spotOn(harness, spot), data), highlighted);
    QCOMPARE(harness.state()->isTargeted(), highlighted);
    QVERIFY(opacityIs(fill->property("color").value<QColor>(), highlighted ? 0.13 : 0.075));

    WindowHarness::leave(harness.window());
    QVERIFY(!harness.state()->isTargeted());
    QVERIFY(opacityIs(fill->property("color").value<QColor>(), 0.075));
}

void UiShellTest::liveRows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("holdAt");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("application at its start")
        << "Example.app" << QStringList{"/usr/bin/codesign", "--verify"} << applicationStages
        << QStringList{"CHECKING", "", "", "", ""};
    QTest::newRow("application at its entitlements")
        << "Example.app" << QStringList{"/usr/bin/codesign", "-d"} << applicationStages
        << QStringList{"PASS", "WARN", "PASS", "CHECKING", ""};
    QTest::newRow("disk image at its start")
        << "Example.dmg" << QStringList{"/usr/bin/hdiutil", "verify"} << diskImageStages
        << QStringList{"CHECKING", "", "", "", "", ""};
    QTest::newRow("disk image at its assessment")
        << "Example.dmg" << QStringList{"/usr/sbin/spctl", "--assess"} << diskImageStages
        << QStringList{"PASS", "PASS", "FAIL", "CHECKING", "", ""};
}

void UiShellTest::liveRows()
{
    QFETCH(QString, name);
    QFETCH(QStringList, holdAt);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, labels);

    WindowHarness harness;
    ToolScript script(mixedOutcomes, holdAt);
    harness.prepareRuns(script.tools(), virtualPacingClock());
    QMimeData data;
    data.setUrls({package(name)});
    QVERIFY(WindowHarness::drop(harness.window(), spotOn(harness, Spot::zoneCentre), data));
    QTRY_COMPARE(stageRows(harness).size(), titles.size());

    const QList<QQuickItem *> rows = stageRows(harness);
    for (int index = 0; index < rows.size(); ++index) {
        QQuickItem *row = rows[index];
        QCOMPARE(child(row, "stageTitle")->property("text").toString(), titles[index]);
        QTRY_COMPARE(shownLabel(row), labels[index]);
        const bool active = labels[index] == "CHECKING";
        QCOMPARE(child(row, "stageSpinner")->isVisible(), active);
        QCOMPARE(child(row, "stageIcon")->property("source").toUrl().isEmpty(), active);
        // The row's colours settle on its status's look after the animation.
        const auto look = stageRowLook(static_cast<LiveStageStatus>(row->property("status").toInt()));
        QTRY_COMPARE(row->property("color").value<QColor>(), look.fill);
    }
}

void UiShellTest::longTargetNameStaysOnOneLine()
{
    WindowHarness harness;
    ToolScript script({}, {"/usr/bin/codesign", "--verify"});
    harness.prepareRuns(script.tools(), virtualPacingClock());
    const QString name = QString("Very Long Release Candidate ").repeated(8) + "Build.app";
    QMimeData data;
    data.setUrls({package(name)});
    QVERIFY(WindowHarness::drop(harness.window(), spotOn(harness, Spot::zoneCentre), data));
    QTRY_VERIFY(harness.item("liveInspectionView")->isVisible());

    QQuickItem *shown = harness.item("inspectionTargetName");
    QCOMPARE(shown->property("text").toString(), name);
    QVERIFY(shown->property("truncated").toBool());
    QCOMPARE(shown->property("lineCount").toInt(), 1);
    QCOMPARE(shown->property("elide").toInt(), int(Qt::ElideMiddle));
}

void UiShellTest::stageRowLooks_data()
{
    QTest::addColumn<LiveStageStatus>("status");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QColor>("hue");
    QTest::addColumn<double>("fillOpacity");
    QTest::addColumn<double>("borderOpacity");
    QTest::addColumn<double>("titleOpacity");

    const QColor white(Qt::white);
    QTest::newRow("pending") << LiveStageStatus::pending << "circle" << "" << white << 0.025 << 0.06 << 0.62;
    QTest::newRow("active") << LiveStageStatus::active << "" << "CHECKING" << white << 0.075 << 0.18 << 1.0;
    QTest::newRow("pass") << LiveStageStatus::pass << "checkmark.circle.fill" << "PASS" << systemGreen() << 0.09
                          << 0.28 << 0.95;
    QTest::newRow("warning") << LiveStageStatus::warning << "exclamationmark.triangle.fill" << "WARN"
                             << systemOrange() << 0.09 << 0.3 << 0.95;
    QTest::newRow("fail") << LiveStageStatus::fail << "xmark.circle.fill" << "FAIL" << systemRed() << 0.09 << 0.3
                          << 0.95;
}

void UiShellTest::stageRowLooks()
{
    QFETCH(LiveStageStatus, status);
    QFETCH(QString, icon);
    QFETCH(QString, label);
    QFETCH(QColor, hue);
    QFETCH(double, fillOpacity);
    QFETCH(double, borderOpacity);
    QFETCH(double, titleOpacity);

    const StageRowLook look = stageRowLook(status);
    QCOMPARE(look.iconName, icon);
    QCOMPARE(look.label, label);
    QCOMPARE(look.fill.rgb(), hue.rgb());
    QCOMPARE(look.border.rgb(), hue.rgb());
    QVERIFY(opacityIs(look.fill, fillOpacity));
    QVERIFY(opacityIs(look.border, borderOpacity));
    QVERIFY(opacityIs(look.titleColour, titleOpacity));
    QCOMPARE(look.titleWeight, status == LiveStageStatus::active ? int(QFont::DemiBold) : int(QFont::Medium));
    if (!label.isEmpty() && status != LiveStageStatus::active)
        QCOMPARE(look.labelColour, hue);
}

void UiShellTest::symbolsRenderTinted()
{
    const QColor tint = systemGreen();
    for (const QString &name : symbolNames()) {
        const QImage image = renderSymbol(name, QSize(44, 44), tint);
        QVERIFY2(!image.isNull(), qPrintable(name));
        QCOMPARE(image.size(), QSize(44, 44));
        bool drawn = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 255) {
                    drawn = true;
                    QCOMPARE(pixel.rgb(), tint.rgb());
                }
            }
        }
        QVERIFY2(drawn, qPrintable(name));
    }
    QVERIFY(renderSymbol("no.such.symbol", QSize(44, 44), tint).isNull());

    // The provider reads the tint, alpha included, back from the image source.
    SymbolImageProvider provider;
    const QUrl source = symbolImageSource("circle", QColor(255, 69, 58, 128));
    QSize size;
    const QImage served = provider.requestImage(source.path().mid(1) + '?' + source.query(), &size, QSize(34, 34));
    QCOMPARE(size, QSize(34, 34));
    QColor strongest(Qt::transparent);
    for (int y = 0; y < served.height(); ++y) {
        for (int x = 0; x < served.width(); ++x) {
            if (served.pixelColor(x, y).alpha() > strongest.alpha())
                strongest = served.pixelColor(x, y);
        }
    }
    QCOMPARE(strongest.alpha(), 128);
    QVERIFY(qAbs(strongest.red() - 255) <= 2 && qAbs(strongest.green() - 69) <= 2);
}

void UiShellTest::windowsKeepTheirOwnState()
{
    WindowHarness harness;
    appCommands(harness.engine())->newWindow();
    QCOMPARE(harness.windows().size(), 2);
    ToolScript script({}, {"/usr/bin/codesign", "--verify"});
    harness.prepareRuns(script.tools(), virtualPacingClock());
    QVERIFY(harness.state(0) != harness.state(1));

    QMimeData data;
    data.setUrls({package("Example.app")});
    QVERIFY(WindowHarness::drop(harness.window(0), spotOn(harness, Spot::zoneCentre), data));
    QTRY_VERIFY(harness.state(0)->isInspecting());
    QVERIFY(!harness.state(1)->isInspecting());
    QCOMPARE(harness.state(1)->inspectionTargetName(), QString());
    QVERIFY(harness.item("landingView", 1)->isVisible());

    // Closing a window discards it with its state; the other stays as it was.
    QPointer<ContentViewState> closedState = harness.state(1);
    harness.window(1)->close();
    QTRY_VERIFY(closedState.isNull());
    QCOMPARE(harness.windows().size(), 1);
    QVERIFY(harness.state(0)->isInspecting());
}

void UiShellTest::aboutReachesEveryWindow()
{
    WindowHarness harness;
    AppCommands *commands = appCommands(harness.engine());
    commands->newWindow();
    commands->newWindow();
    QCOMPARE(harness.windows().size(), 3);
    harness.state(1)->setShowingAbout(true);

    commands->showAbout();
    for (int index = 0; index < 3; ++index)
        QVERIFY(harness.state(index)->showingAbout());
}

QTEST_MAIN(UiShellTest)
#include "ui_shell_test.moc"
