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
#include "ui/engine_setup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextStream>
#include <QtQml/qqmlextensionplugin.h>

#include <functional>
#include <optional>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

namespace {

QUrl package(const QString &name)
{
    return QUrl::fromLocalFile(QStringLiteral("/tmp/veristamp-render/") + name);
}

QPointF zoneCentre(const WindowHarness &harness)
{
    return WindowHarness::centreOf(harness.item("dropZone"));
}

// Drops a package and waits until the run holds at the given tool call with
// every earlier stage shown.
bool dropAndHold(WindowHarness &harness, ToolScript &script, const QString &name, int shownFinalStages)
{
    harness.prepareRuns(script.tools());
    QMimeData data;
    data.setUrls({package(name)});
    if (!WindowHarness::drop(harness.window(), zoneCentre(harness), data))
        return false;
    return QTest::qWaitFor([&] {
        const auto &stages = harness.state()->liveStages()->stages();
        int finals = 0;
        for (const LiveInspectionStage &stage : stages)
            finals += isFinal(stage.status) ? 1 : 0;
        return !stages.isEmpty() && finals == shownFinalStages;
    });
}

// A copy of a sample package in the render folder, so the screens show a short path.
bool copyTree(const QString &from, const QString &to)
{
    if (!QFileInfo(from).isDir())
        return QFile::copy(from, to);
    if (!QDir().mkpath(to))
        return false;
    const QDir folder(from);
    for (const QString &name : folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (!copyTree(folder.filePath(name), to + QLatin1Char('/') + name))
            return false;
    }
    return true;
}

// A sample inspected by the stand-in tools on the virtual clock; the window
// then grows to the whole results column, so one picture shows every section.
bool showResults(WindowHarness &harness, const QString &sample)
{
    const QString copy = package(sample).toLocalFile();
    QDir(copy).removeRecursively();
    QFile::remove(copy);
    if (!QDir().mkpath(QFileInfo(copy).path()) || !copyTree(QStringLiteral(VERISTAMP_SAMPLES "/") + sample, copy))
        return false;
    harness.prepareRuns(releaseToolsAt(QStringLiteral(VERISTAMP_TOOL_ROOT)));
    harness.state()->beginInspection(QUrl::fromLocalFile(copy));
    if (!QTest::qWaitFor([&] { return harness.state()->screen() == ContentViewState::Screen::results; }, 20'000))
        return false;
    QTest::qWait(50);
    QQuickItem *results = harness.item(QStringLiteral("resultsView"));
    harness.window()->resize(harness.window()->width(), int(results->mapToScene({0, 0}).y() + results->height()));
    return true;
}

struct Scene {
    QString fileName;
    std::function<bool(WindowHarness &, std::optional<ToolScript> &)> prepare;
};

const QList<Scene> scenes{
    {"landing.png", [](WindowHarness &, std::optional<ToolScript> &) { return true; }},
    {"landing-drag-hover.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) {
         static QMimeData data;
         data.setUrls({package("Example.app")});
         return WindowHarness::hover(harness.window(), zoneCentre(harness), data);
     }},
    {"live-application.png",
     [](WindowHarness &harness, std::optional<ToolScript> &script) {
         script.emplace(mixedToolOutcomes, QStringList{"/usr/bin/codesign", "-d"});
         return dropAndHold(harness, *script, "Example.app", 3);
     }},
    {"live-disk-image.png",
     [](WindowHarness &harness, std::optional<ToolScript> &script) {
         script.emplace(mixedToolOutcomes, QStringList{"/usr/sbin/spctl", "--assess"});
         return dropAndHold(harness, *script, "Example-1.0.dmg", 3);
     }},
    {"results-ready-application.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) { return showResults(harness, "Tidewater.app"); }},
    {"results-review-application.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) { return showResults(harness, "Palette Studio.app"); }},
    {"results-do-not-ship-application.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) { return showResults(harness, "Quarry.app"); }},
    {"results-ready-disk-image.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) { return showResults(harness, "Tidewater 3.2.dmg"); }},
    {"results-review-disk-image.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) { return showResults(harness, "Meridian Suite 5.dmg"); }},
    {"about.png",
     [](WindowHarness &harness, std::optional<ToolScript> &) {
         harness.state()->showAbout();
         return true;
     }},
};

} // namespace

int main(int argc, char *argv[])
{
    // The device pixel ratio of the grabs, e.g. 2 for a high-density screen.
    if (argc > 2)
        qputenv("QT_SCALE_FACTOR", argv[2]);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    setUpQuickControlsStyle();
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: render_screens <output folder> [scale]\n";
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    if (!output.mkpath(QStringLiteral(".")))
        return 1;

    int failures = 0;
    for (const Scene &scene : scenes) {
        WindowHarness harness;
        std::optional<ToolScript> script;
        if (!harness.window() || !scene.prepare(harness, script)) {
            err << "could not prepare " << scene.fileName << '\n';
            ++failures;
            continue;
        }
        QTest::qWait(400); // animations (row colours, the spinner) settle
        if (!harness.window()->grabWindow().save(output.filePath(scene.fileName)))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
