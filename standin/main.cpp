// One program for the four release tools of the platform, acting by the name
// it was started under: codesign, spctl, xcrun or hdiutil. It accepts exactly
// the argument vectors Veristamp uses, replays a package's recorded responses
// where it has them, and otherwise answers truthfully without claiming any
// signature, ticket or acceptance.

#include "hdiutil.h"
#include "outcome.h"
#include "records.h"
#include "tool_calls.h"
#include "unrecorded.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

Outcome answer(const QString &tool, const QStringList &arguments)
{
    const std::optional<RecognisedCall> call = recogniseCall(tool, arguments);
    if (!call)
        return errorOutcome(2, usageLine(tool));
    if (tool == QLatin1String("hdiutil"))
        return hdiutilAnswer(*call);
    if (const std::optional<Record> record = recordOf(recordFilesOf(call->path), call->id))
        return replay(*record, callName(call->id), {{"@PATH@", call->path.toUtf8()}});
    return unrecordedAnswer(*call);
}

} // namespace

int main(int argc, char *argv[])
{
    const QString tool = argc > 0 ? QFileInfo(QFile::decodeName(argv[0])).fileName() : QString();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    return deliver(answer(tool, arguments));
}
