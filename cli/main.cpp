// veristamp-check: the window's release preflight for release pipelines.
// Inspects each package with the same inspectors (without the window's
// pacing) and prints each release report on standard output.

#include "cli/check_options.h"
#include "cli/exit_status.h"
#include "cli/interruption.h"
#include "cli/package_path.h"
#include "cli/stage_echo.h"
#include "engine/capture_folder.h"
#include "engine/package_inspection.h"
#include "engine/package_intake.h"
#include "engine/tool_root.h"
#include "report/report_file_name.h"
#include "report/report_folder.h"
#include "report/report_text.h"
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
void print(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

void print(std::FILE *stream, const QString &text)
{
    print(stream, text.toUtf8());
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
        print(stderr, checkUsageText());
        return int(CheckExit::usage);
    }
    const CheckOptions &options = *parsed.options;
    if (options.showHelp) {
        print(stdout, checkUsageText());
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
    const ReleaseTools tools = interruptibleToolsAt(defaultToolRoot());
    const bool showStages = ::isatty(STDERR_FILENO) == 1;
    const QDir outputFolder(options.outputDir.value_or(QString()));
    CheckExitStatus status;
    bool firstReport = true;

    for (const QString &path : options.packages) {
        if (interruptingSignal())
            break;
        const QFileInfo info(path);
        const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        const std::optional<PackageKind> kind = acceptedPackageKind(url);
        if (const std::optional<QString> problem = packagePathProblem(path)) {
            complain(QStringLiteral("%1: %2").arg(path, *problem));
            status.addMissingInput();
            continue;
        }
        if (!kind) {
            complain(QStringLiteral("%1: not an .app bundle or a .dmg disk image").arg(path));
            status.addMissingInput();
            continue;
        }

        const StageProgress progress = showStages ? stageEcho(lastPathComponent(url), *kind, stderr) : StageProgress();
        const InspectionResult result = inspectPackage(url, *kind, tools, progress);
        if (interruptingSignal())
            break; // an interrupted inspection is no finding
        status.addVerdict(releaseVerdict(result));

        // Made as bytes at once: a detail can be a tool's whole output.
        const QByteArray report = releaseReportUtf8(result, QDateTime::currentDateTime());
        if (!firstReport)
            print(stdout, QByteArray("\n"));
        print(stdout, report);
        std::fflush(stdout);
        firstReport = false;

        if (options.outputDir) {
            QDir().mkpath(outputFolder.path());
            const FolderSave saved = saveIntoFolder(outputFolder.path(),
                                                    reportFileStem(result, QDateTime::currentDateTime()),
                                                    QStringLiteral("txt"), report);
            if (!saved.saved()) {
                complain(QStringLiteral("%1: the release report could not be saved: %2").arg(path, saved.failure));
                status.addSaveFailure();
            }
        }
    }
    if (const int signal = interruptingSignal()) {
        complain(QStringLiteral("stopped by %1").arg(signalName(signal)));
        return 128 + signal;
    }
    return status.code();
}
