#include "tool_calls.h"

#include <array>

namespace {

struct Vector {
    const char *tool;
    CallId id;
    QStringList leading; // every argument before the path, which always comes last
};

const std::array<Vector, 9> &vectors()
{
    static const std::array<Vector, 9> table{{
        {"codesign", CallId::C1, {"--verify", "--deep", "--strict", "--verbose=2"}},
        {"codesign", CallId::C2, {"-dv", "--verbose=4"}},
        {"codesign", CallId::C3, {"-d", "--entitlements", ":-"}},
        {"spctl", CallId::S1, {"--assess", "--type", "execute", "--verbose=4"}},
        {"spctl", CallId::S2, {"--assess", "--type", "open", "--context", "context:primary-signature", "--verbose=4"}},
        {"xcrun", CallId::X1, {"stapler", "validate"}},
        {"hdiutil", CallId::H1, {"verify"}},
        {"hdiutil", CallId::H2, {"attach", "-readonly", "-nobrowse", "-plist"}},
        {"hdiutil", CallId::H3, {"detach"}},
    }};
    return table;
}

} // namespace

QString callName(CallId id)
{
    switch (id) {
    case CallId::C1: return QStringLiteral("C1");
    case CallId::C2: return QStringLiteral("C2");
    case CallId::C3: return QStringLiteral("C3");
    case CallId::S1: return QStringLiteral("S1");
    case CallId::S2: return QStringLiteral("S2");
    case CallId::X1: return QStringLiteral("X1");
    case CallId::H1: return QStringLiteral("H1");
    case CallId::H2: return QStringLiteral("H2");
    case CallId::H3: return QStringLiteral("H3");
    }
    return {};
}

std::optional<RecognisedCall> recogniseCall(const QString &tool, const QStringList &arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QStringList leading = arguments.mid(0, arguments.size() - 1);
    for (const Vector &vector : vectors()) {
        if (tool == QLatin1String(vector.tool) && leading == vector.leading)
            return RecognisedCall{vector.id, arguments.last()};
    }
    return std::nullopt;
}

QByteArray usageLine(const QString &tool)
{
    QStringList forms;
    for (const Vector &vector : vectors()) {
        if (tool == QLatin1String(vector.tool))
            forms << (vector.leading + QStringList{QStringLiteral("<path>")}).join(QLatin1Char(' '));
    }
    if (forms.isEmpty())
        return "usage: run as codesign, spctl, xcrun or hdiutil";
    return ("usage: " + tool + QLatin1Char(' ') + forms.join(QStringLiteral(" | ") + tool + QLatin1Char(' '))).toUtf8();
}
