// veristamp-check: the window's release preflight for release pipelines.
// Inspects each package with the same inspectors (without the window's
// pacing) and writes the release reports, or one JSON or JUnit document, on
// standard output.

#include "cli/check_options.h"
#include "cli/exit_status.h"
#include "cli/interruption.h"
#include "forecast/package_forecast.h"
#include "cli/package_path.h"
#include "cli/run_writer.h"
#include "cli/stage_echo.h"
#include "engine/capture_folder.h"
#include "engine/package_inspection.h"
#include "engine/package_intake.h"
#include "engine/tool_root.h"
#include "report/release_set.h"
#include "report/report_file_name.h"
#include "report/report_folder.h"
#include "report/report_saving.h"
#include "report/verdict.h"
#include "report/visible_text.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

// Every byte, a NUL included.
void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

// Messages name paths as they were given, so they are shown, not obeyed.
void complain(const QString &message)
{
    print(stderr, QStringLiteral("veristamp-check: ") + visibleText(message) + QLatin1Char('\n'));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veristamp-check"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VERISTAMP_VERSION " (" VERISTAMP_BUILD ")"));

    const ParsedCheckOptions parsed = parseCheckOptions(app.arguments().mid(1));
    if (!parsed.options) {
        complain(parsed.error);
        // The help's usage line alone: the error is what the user needs to see.
        print(stderr, checkHelpText().section(QLatin1Char('\n'), 0, 0) + QStringLiteral("\nTry --help for more.\n"));
        return int(CheckExit::usage);
    }
    const CheckOptions &options = *parsed.options;
    if (options.showHelp) {
        print(stdout, checkHelpText());
        return 0;
    }
    if (options.showVersion) {
        print(stdout, QStringLiteral("veristamp-check %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }

    // Without capture files every check would fail alike: that is the
    // machine's fault, not the packages'.
    if (const std::optional<CaptureFolderProblem> problem = captureFolderProblem()) {
        complain(QStringLiteral("cannot create capture files in the temporary folder \u201C%1\u201D: %2")
                     .arg(problem->folder, problem->reason));
        return int(CheckExit::cannotCreate);
    }

    watchForInterruptions();
    const ToolRoot toolRoot = defaultToolRoot();
    if (toolRoot.limits.replaysRecordedAnswers)
        complain(QStringLiteral("answers recorded inside the packages are replayed: a demonstration, not a judgement"));
    const ReleaseTools tools = interruptibleToolsAt(toolRoot);
    const bool showStages = ::isatty(STDERR_FILENO) == 1;
    const QDir outputFolder(options.outputDir.value_or(QString()));
    const std::unique_ptr<RunWriter> writer = makeRunWriter(
        options.format,
        RunGenerator{QCoreApplication::applicationName(), QStringLiteral(VERISTAMP_VERSION),
                     QStringLiteral(VERISTAMP_BUILD), toolRoot},
        stdout);
    CheckExitStatus status;
    QList<InspectionResult> results;

    const QList<QByteArray> packageBytes = packageArgumentBytes(argc, argv, options.packages);
    ReachablePaths reachablePaths;
    for (qsizetype index = 0; index < options.packages.size(); ++index) {
        if (interruptingSignal())
            break;
        const QString &path = options.packages.at(index);
        std::optional<QString> unusable = packagePathProblem(packageBytes.at(index));
        const std::optional<QString> reachable =
            unusable ? std::optional<QString>(path) : reachablePaths.reachable(path, packageBytes.at(index));
        if (!reachable)
            unusable = QStringLiteral("the name cannot be reached in the temporary folder");
        const QFileInfo info(reachable.value_or(path));
        const std::optional<AcceptedPackage> package = acceptPackage(QUrl::fromLocalFile(info.absoluteFilePath()));
        if (!unusable && !package)
            unusable = QStringLiteral("not an .app bundle or a .dmg disk image");
        if (unusable) {
            complain(path + QStringLiteral(": ") + *unusable);
            writer->addSkipped(path, *unusable);
            status.addMissingInput();
            continue;
        }

        const StageProgress progress =
            showStages ? stageEcho(lastPathComponent(package->location), package->kind, stderr) : StageProgress();
        InspectionResult result = inspectPackage(package->location, package->kind, tools, progress);
        if (interruptingSignal())
            break; // an interrupted inspection is no finding
        // The report names the package as given, not the link it was read through.
        if (*reachable != path)
            result.url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        status.addVerdict(releaseVerdict(result));
        results << result;
        // The text report keeps its bytes; the forecast goes to the documents only.
        const std::optional<NotaryForecast> forecast =
            options.format == CheckFormat::text ? std::nullopt : forecastFor(*package, tools);
        const PackageDocument document = writer->addPackage(path, *reachable, result, forecast);

        if (options.outputDir) {
            QDir().mkpath(outputFolder.path());
            const FolderSave saved = saveIntoFolder(outputFolder.path(),
                                                    reportFileStem(result, QDateTime::currentDateTime()),
                                                    document.extension, document.bytes());
            if (!saved.saved()) {
                complain(QStringLiteral("%1: %2 %3").arg(path, reportNotSavedSentence(), saved.failure));
                status.addSaveFailure();
            }
        }
    }
    if (const int signal = interruptingSignal()) {
        complain(QStringLiteral("stopped by %1").arg(signalName(signal)));
        return 128 + signal;
    }

    std::optional<ReleaseSet> releaseSet;
    if (options.releaseSet) {
        releaseSet = compareReleaseSet(results);
        if (!releaseSet->consistent())
            status.addVerdict(ReleaseVerdict::reviewBeforeShipping); // a disagreement asks for review, like a warning
    }
    writer->finish(releaseSet, status.code());
    return status.code();
}
