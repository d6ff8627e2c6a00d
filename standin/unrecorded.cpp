#include "unrecorded.h"

#include <QFileInfo>

namespace {

QByteArray line(const QString &text)
{
    return text.toUtf8() + '\n';
}

Outcome missingPackage(const QString &path)
{
    return Outcome{1, QByteArray(), line(path + QStringLiteral(": No such file or directory"))};
}

} // namespace

Outcome unrecordedAnswer(const RecognisedCall &call)
{
    const QString &path = call.path;
    const QFileInfo info(path);
    if (!info.exists())
        return missingPackage(path);
    switch (call.id) {
    case CallId::C1:
    case CallId::C2:
    case CallId::C3:
        return Outcome{1, QByteArray(),
                       line(path + QStringLiteral(": no signature is recorded for this package on this host"))};
    case CallId::S1:
    case CallId::S2:
        // spctl's status for a rejected assessment.
        return Outcome{3, QByteArray(),
                       line(path + QStringLiteral(": rejected (no signature is recorded for this package on this host)"))};
    case CallId::X1:
        // stapler reports the resolved path first and names the package by its
        // file name in the verdict; 65 is its status when no ticket is found.
        return Outcome{65, line(QStringLiteral("Processing: ") + info.absoluteFilePath()),
                       line(info.fileName() + QStringLiteral(" does not have a ticket stapled to it."))};
    case CallId::H1:
    case CallId::H2:
    case CallId::H3:
        break;
    }
    return errorOutcome(2, "stand-in: hdiutil calls are not answered here");
}
