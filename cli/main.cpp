// veristamp-check: the window's release preflight for release pipelines.
// Inspects each package with the same inspectors (without the window's
// pacing) and prints each release report on standard output.

#include "cli/check_options.h"
#include "cli/exit_status.h"
#include "cli/stage_echo.h"
#include "engine/package_inspection.h"
#include "engine/package_intake.h"
#include "engine/tool_root.h"
#include "report/report_file_name.h"
#include "report/report_saving.h"
#include "report/report_text.h"
#include "report/verdict.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <unistd.h>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
}

void complain(const QString &message)
{
    print(stderr, QStringLiteral("veristamp-check: ") + message + QLatin1Char('\n'));
}

// Two packages with the same name checked in the same minute would propose
// the same file name; the later report gets a numbered name instead of
// replacing the earlier one.
QString unusedReportPath(const QDir &folder, const QString &proposed, QSet<QString> &used)
{
    QString name = proposed;
    for (int n = 2; used.contains(name); ++n)
        name = proposed.chopped(4) + QStringLiteral("-%1.txt").arg(n);
    used.insert(name);
    return folder.filePath(name);
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

    const ReleaseTools tools = releaseToolsAt(defaultToolRoot());
    const bool showStages = ::isatty(STDERR_FILENO) == 1;
    const QDir outputFolder(options.outputDir.value_or(QString()));
    QSet<QString> usedNames;
    CheckExitStatus status;
    bool firstReport = true;

    for (const QString &path : options.packages) {
        const QFileInfo info(path);
        const std::optional<AcceptedPackage> package = acceptPackage(QUrl::fromLocalFile(info.absoluteFilePath()));
        if (!info.exists() && !info.isSymLink()) {
            complain(QStringLiteral("%1: no such file or folder").arg(path));
            status.addMissingInput();
            continue;
        }
        if (!package) {
            complain(QStringLiteral("%1: not an .app bundle or a .dmg disk image").arg(path));
            status.addMissingInput();
            continue;
        }

        const StageProgress progress =
            showStages ? stageEcho(lastPathComponent(package->location), package->kind, stderr) : StageProgress();
        const InspectionResult result = inspectPackage(package->location, package->kind, tools, progress);
        status.addVerdict(releaseVerdict(result));

        const QString report = releaseReportText(result);
        print(stdout, (firstReport ? QString() : QStringLiteral("\n")) + report);
        std::fflush(stdout);
        firstReport = false;

        if (options.outputDir) {
            QDir().mkpath(outputFolder.path());
            const QString target =
                unusedReportPath(outputFolder, defaultReportFileName(result, QDateTime::currentDateTime()), usedNames);
            if (const std::optional<QString> error = writeReportFile(target, report)) {
                complain(QStringLiteral("%1: the release report could not be saved: %2").arg(target, *error));
                status.addSaveFailure();
            }
        }
    }
    return status.code();
}
