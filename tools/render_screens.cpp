// Renders the screens to PNG files for the eye (docs/screenshots): each scene
// sets up a fresh main window on the offscreen platform, brings it to the
// moment worth showing, and saves a grab of the window.
//
//   render_screens <output folder> [scale]
//
// A scene is one row of `scenes` below: a file name and a function that
// prepares the window. Add rows for further screens.

#include "window_harness.h"

#include "engine/tool_root.h"
#include "ui/window/engine_setup.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

namespace {

QString package(const QString &name) { return QStringLiteral("/tmp/veristamp-render/") + name; }

QPointF zoneCentre(const WindowHarness &harness) { return WindowHarness::centreOf(harness.item("dropZone")); }

// Drops a package whose run holds at a tool call of the script, and waits
// until that many stages are final.
bool dropAndHold(WindowHarness &harness, std::optional<ToolScript> &script, const QStringList &holdAt,
                 const QString &name, int finalStages, bool onLinux = false)
{
    script.emplace(onLinux ? macOnlyToolOutcomes : mixedToolOutcomes, holdAt);
    harness.prepareRuns(script->tools(onLinux ? standInToolRoot({}).limits : HostLimits{}));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(package(name))});
    return WindowHarness::drop(harness.window(), zoneCentre(harness), data) && QTest::qWaitFor([&] {
        const auto &stages = harness.state()->liveStages()->stages();
        return std::count_if(stages.begin(), stages.end(), [](const auto &stage) { return isFinal(stage.status); })
            == finalStages;
    });
}

// A package inspected by the stand-in tools on the virtual clock; the window
// then grows to the whole results column, so one picture shows every section.
bool showInspected(WindowHarness &harness, const QString &path)
{
    harness.prepareRuns(releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT))));
    harness.state()->beginInspection(QUrl::fromLocalFile(path));
    if (!QTest::qWaitFor([&] { return harness.state()->screen() == ContentViewState::Screen::results; }, 20'000))
        return false;
    QTest::qWait(50);
    QQuickItem *results = harness.item(QStringLiteral("resultsView"));
    harness.window()->resize(harness.window()->width(), int(results->mapToScene({0, 0}).y() + results->height()));
    return true;
}

// A copy of a sample or of a package made and signed on a Mac (the copy gives
// a short path on screen); a zip is unpacked instead. The packages made on
// Macs hold no recorded answers: the stand-ins and the notary forecast read
// them from their bytes.
bool showCopy(WindowHarness &harness, const QString &source, const QString &name)
{
    const QString copy = package(name);
    if (QProcess::execute("rm", {"-rf", copy}) != 0 || !QDir().mkpath(QFileInfo(copy).path()))
        return false;
    QProcess unpack;
    unpack.setWorkingDirectory(QFileInfo(copy).path());
    if (source.endsWith(".zip"))
        unpack.start(QStringLiteral(VERISTAMP_CMAKE), {"-E", "tar", "xf", source});
    else
        unpack.start("cp", {"-R", source, copy});
    return unpack.waitForFinished(60'000) && unpack.exitCode() == 0 && showInspected(harness, copy);
}

using Prepare = std::function<bool(WindowHarness &, std::optional<ToolScript> &)>;

Prepare results(const QString &sample)
{
    return [sample](WindowHarness &harness, std::optional<ToolScript> &) {
        return showCopy(harness, QStringLiteral(VERISTAMP_SAMPLES "/") + sample, sample);
    };
}

Prepare realResults(const QString &artifact, const QString &name)
{
    return [artifact, name](WindowHarness &harness, std::optional<ToolScript> &) {
        return showCopy(harness, QStringLiteral(VERISTAMP_REAL_ARTIFACTS "/") + artifact, name);
    };
}

const QList<std::pair<QString, Prepare>> scenes{
    {"landing.png", [](WindowHarness &, std::optional<ToolScript> &) { return true; }},
    {"landing-drag-hover.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) {
         static QMimeData data;
         data.setUrls({QUrl::fromLocalFile(package("Example.app"))});
         return WindowHarness::hover(harness.window(), zoneCentre(harness), data);
     }},
    {"live-application.png",
     [](WindowHarness &harness, std::optional<ToolScript> &script) {
         return dropAndHold(harness, script, {"/usr/bin/codesign", "-d"}, "Example.app", 3);
     }},
    {"live-disk-image.png",
     [](WindowHarness &harness, std::optional<ToolScript> &script) {
         return dropAndHold(harness, script, {"/usr/sbin/spctl", "--assess"}, "Example-1.0.dmg", 3);
     }},
    {"live-disk-image-on-linux.png",
     [](WindowHarness &harness, std::optional<ToolScript> &script) {
         return dropAndHold(harness, script, {"/usr/bin/hdiutil", "attach"}, "Example-1.0.dmg", 4, true);
     }},
    {"results-ready-application.png", results("Tidewater.app")},
    {"results-review-application.png", results("Palette Studio.app")},
    {"results-do-not-ship-application.png", results("Quarry.app")},
    {"results-ready-disk-image.png", results("Tidewater 3.2.dmg")},
    {"results-review-disk-image.png", results("Meridian Suite 5.dmg")},
    {"results-forecast-application.png", realResults("DevSignedApp.zip", "DevSignedApp.app")},
    {"results-forecast-disk-image.png", realResults("SparkleTestCodeSignApp.dmg", "SparkleTestCodeSignApp.dmg")},
    {"about.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) {
         harness.state()->showAbout();
         return true;
     }},
    {"about-smallest-window.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) {
         harness.window()->resize(760, 560);
         harness.state()->showAbout();
         return true;
     }},
    {"live-disk-image-smallest-window.png",
     [](WindowHarness &harness, std::optional<ToolScript> &script) {
         harness.window()->resize(760, 560);
         return dropAndHold(harness, script, {"/usr/sbin/spctl", "--assess"}, "Example-1.0.dmg", 3);
     }},
    {"landing-focus-ring.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) {
         QTest::keyClick(harness.window(), Qt::Key_Tab); // from the drop zone to "About"
         QTest::keyClick(harness.window(), Qt::Key_Tab); // and back to the zone
         return harness.item("dropZone")->hasActiveFocus();
     }},
    {"context-menu.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) {
         QTest::mouseClick(harness.window(), Qt::RightButton, {}, QPoint(560, 520));
         return harness.window()->findChild<QObject *>("windowMenu")->property("visible").toBool();
     }},
};

} // namespace

int main(int argc, char *argv[])
{
    // The device pixel ratio of the grabs, e.g. 2 for a high-density screen.
    if (argc > 2)
        qputenv("QT_SCALE_FACTOR", argv[2]);
    // The samples show their verdicts through the answers recorded in them.
    qputenv("VERISTAMP_REPLAY_RECORDS", "1");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    setUpQuickControlsStyle();
    if (argc < 2) {
        std::fputs("usage: render_screens <output folder> [scale]\n", stderr);
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    if (!output.mkpath(QStringLiteral(".")))
        return 1;

    int failures = 0;
    for (const auto &[fileName, prepare] : scenes) {
        WindowHarness harness;
        std::optional<ToolScript> script;
        if (!harness.window() || !prepare(harness, script)) {
            std::fprintf(stderr, "could not prepare %s\n", qPrintable(fileName));
            ++failures;
            continue;
        }
        QTest::qWait(400); // animations (row colours, the spinner) settle
        failures += !harness.window()->grabWindow().save(output.filePath(fileName));
    }
    QDir(QFileInfo(package({})).path()).removeRecursively(); // the copies shown
    return failures == 0 ? 0 : 1;
}
