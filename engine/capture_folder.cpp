#include "engine/capture_folder.h"

#include "engine/capture_file.h"
#include "engine/system_error_text.h"

#include <QDir>
#include <QUuid>

#include <cerrno>

QString captureFolder()
{
    return QDir::tempPath();
}

std::optional<CaptureFolderProblem> captureFolderProblem()
{
    QString folder = captureFolder();
    if (folder.isEmpty()) {
        // Qt resolved nothing; the configured name still shows the fault
        // when a file is made below it (missing, not a folder, too long).
        folder = qEnvironmentVariable("TMPDIR");
        if (folder.isEmpty())
            return CaptureFolderProblem{QStringLiteral("/tmp"), systemErrorText(ENOENT)};
    }
    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const CaptureFile probe(QDir(folder).filePath(QStringLiteral("veristamp-") + token + QStringLiteral("-probe")));
    if (probe.isOpen())
        return std::nullopt;
    return CaptureFolderProblem{folder, systemErrorText(probe.error())};
}
