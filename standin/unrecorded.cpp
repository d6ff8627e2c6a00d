#include "unrecorded.h"

#include "code_answers.h"

#include "codesig/code_reading.h"

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
    if (call.id == CallId::H1 || call.id == CallId::H2 || call.id == CallId::H3)
        return errorOutcome(2, "stand-in: hdiutil calls are not answered here");
    const codesig::CodeReading code = codesig::readCode(path);
    switch (call.id) {
    case CallId::C1:
        return verificationAnswer(path, code);
    case CallId::C2:
        return displayAnswer(path, code);
    case CallId::C3:
        return entitlementsAnswer(path, code);
    case CallId::S1:
    case CallId::S2:
        return assessmentAnswer(path, code);
    case CallId::X1:
        return ticketAnswer(path, code, codesig::readStapledTicket(path, code));
    case CallId::H1:
    case CallId::H2:
    case CallId::H3:
        break;
    }
    return errorOutcome(2, "stand-in: hdiutil calls are not answered here");
}
