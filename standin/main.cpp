// One program for the four release tools of the platform, acting by the name
// it was started under: codesign, spctl, xcrun or hdiutil. It accepts exactly
// the argument vectors Veristamp uses, replays a package's recorded responses
// where it has them, and otherwise answers truthfully without claiming any
// signature, ticket or acceptance.

#include "attach_guard.h"
#include "hdiutil.h"
#include "outcome.h"
#include "records.h"
#include "tool_calls.h"
#include "unrecorded.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

Outcome answer(const RecognisedCall &call, const QString &tool, const RecordFiles &records)
{
    if (tool == QLatin1String("hdiutil"))
        return hdiutilAnswer(call, records);
    if (const std::optional<Record> record = recordOf(records, call.id))
        return replay(*record, callName(call.id), {{"@PATH@", call.path.toUtf8()}});
    return unrecordedAnswer(call);
}

} // namespace

int main(int argc, char *argv[])
{
    endWithParent();
    const QString tool = argc > 0 ? QFileInfo(QFile::decodeName(argv[0])).fileName() : QString();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const std::optional<RecognisedCall> call = recogniseCall(tool, arguments);
    if (!call)
        return deliver(errorOutcome(2, usageLine(tool)));
    const RecordFiles records = recordFilesOf(call->path);
    const Outcome outcome = answer(*call, tool, records);
    // A record "<call>.waits" hangs the call after its standard error, until
    // it is stopped.
    if (records.contains(callName(call->id) + QStringLiteral(".waits"))) {
        deliver(Outcome{0, QByteArray(), outcome.err});
        holdUntilStopped();
    }
    stopIfInterrupted();
    return deliver(outcome);
}
