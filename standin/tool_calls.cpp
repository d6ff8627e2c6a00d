#include "tool_calls.h"

#include <QFileInfo>

namespace {

// The tool a call runs, by the name a stand-in is started under ("codesign").
QString toolName(CallId id)
{
    return QFileInfo(callVector(id).executable).fileName();
}

} // namespace

std::optional<RecognisedCall> recogniseCall(const QString &tool, const QStringList &arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QStringList leading = arguments.mid(0, arguments.size() - 1);
    for (CallId id : kEveryCall) {
        if (tool == toolName(id) && leading == callVector(id).leading)
            return RecognisedCall{id, arguments.last()};
    }
    return std::nullopt;
}

QByteArray usageLine(const QString &tool)
{
    QStringList forms;
    for (CallId id : kEveryCall) {
        if (tool == toolName(id))
            forms << (callVector(id).leading + QStringList{QStringLiteral("<path>")}).join(QLatin1Char(' '));
    }
    if (forms.isEmpty())
        return "usage: run as codesign, spctl, xcrun or hdiutil";
    return ("usage: " + tool + QLatin1Char(' ') + forms.join(QStringLiteral(" | ") + tool + QLatin1Char(' '))).toUtf8();
}
