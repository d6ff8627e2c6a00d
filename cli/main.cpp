// veristamp-check: the window's release preflight for release pipelines.
// Inspects each package with the same inspectors (without the window's
// pacing) and writes the release reports, or one JSON or JUnit document, on
// standard output.

#include "cli/check_options.h"
#include "cli/exit_status.h"
#include "cli/run_writer.h"
#include "cli/stage_echo.h"
#include "engine/package_inspection.h"
#include "engine/package_intake.h"
#include "engine/tool_root.h"
#include "report/report_file_name.h"
#include "report/release_set.h"
#include "report/report_saving.h"
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
// replacing the earlier one. The extension is the format's, not the proposed ".txt".
QString unusedReportPath(const QDir &folder, const QString &proposed, const QString &extension, QSet<QString> &used)
{
    const QString stem = proposed.chopped(4);
    QString name = stem + extension;
    for (int n = 2; used.contains(name); ++n)
        name = stem + QStringLiteral("-%1").arg(n) + extension;
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

    const QString toolRoot = defaultToolRoot();
    const ReleaseTools tools = releaseToolsAt(toolRoot);
    const bool showStages = ::isatty(STDERR_FILENO) == 1;
    const QDir outputFolder(options.outputDir.value_or(QString()));
    const std::unique_ptr<RunWriter> writer = makeRunWriter(
        options.format,
        RunGenerator{QCoreApplication::applicationName(), QStringLiteral(VERISTAMP_VERSION),
                     QStringLiteral(VERISTAMP_BUILD), toolRoot},
        stdout);
    QSet<QString> usedNames;
    CheckExitStatus status;
    QList<InspectionResult> results;

    for (const QString &path : options.packages) {
        const QFileInfo info(path);
        const std::optional<AcceptedPackage> package = acceptPackage(QUrl::fromLocalFile(info.absoluteFilePath()));
        const QString unusable = !info.exists() && !info.isSymLink() ? QStringLiteral("no such file or folder")
                               : !package ? QStringLiteral("not an .app bundle or a .dmg disk image")
                                          : QString();
        if (!unusable.isEmpty()) {
            complain(path + QStringLiteral(": ") + unusable);
            writer->addSkipped(path, unusable);
            status.addMissingInput();
            continue;
        }

        const StageProgress progress =
            showStages ? stageEcho(lastPathComponent(package->location), package->kind, stderr) : StageProgress();
        const InspectionResult result = inspectPackage(package->location, package->kind, tools, progress);
        status.addVerdict(releaseVerdict(result));
        results << result;
        const PackageDocument document = writer->addPackage(path, result);

        if (options.outputDir) {
            QDir().mkpath(outputFolder.path());
            const QString target = unusedReportPath(
                outputFolder, defaultReportFileName(result, QDateTime::currentDateTime()), document.extension, usedNames);
            if (const std::optional<QString> error = writeReportFile(target, QString::fromUtf8(document.bytes))) {
                complain(QStringLiteral("%1: the release report could not be saved: %2").arg(target, *error));
                status.addSaveFailure();
            }
        }
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
