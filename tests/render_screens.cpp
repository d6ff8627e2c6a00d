// Renders the screens to PNG files for the eye (docs/screenshots): each scene
// sets up a fresh main window on the offscreen platform, brings it to the
// moment worth showing, and saves a grab of the window.
//
//   render_screens <output folder> [scale]
//
// A scene is one row of `scenes` below: a file name and a function that
// prepares the window. Add rows for further screens.

#include "window_harness.h"

#include "ui/engine_setup.h"

#include <QApplication>
#include <QDir>
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

// The app signed for development only, with the Hardened Runtime flag; the
// image Developer ID signed but without a stapled ticket.
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

QPointF zoneCentre(const WindowHarness &harness)
{
    return WindowHarness::centreOf(harness.item("dropZone"));
}

// Drops a package and waits until the run holds at the given tool call with
// every earlier stage shown.
bool dropAndHold(WindowHarness &harness, ToolScript &script, const QString &name, int shownFinalStages)
{
    harness.prepareRuns(script.tools(), virtualPacingClock());
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
         script.emplace(mixedOutcomes, QStringList{"/usr/bin/codesign", "-d"});
         return dropAndHold(harness, *script, "Example.app", 3);
     }},
    {"live-disk-image.png",
     [](WindowHarness &harness, std::optional<ToolScript> &script) {
         script.emplace(mixedOutcomes, QStringList{"/usr/sbin/spctl", "--assess"});
         return dropAndHold(harness, *script, "Example-1.0.dmg", 3);
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
