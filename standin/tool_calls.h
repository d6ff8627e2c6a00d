#pragma once
// The nine argument vectors the stand-ins accept, written out here on purpose
// rather than taken from the engine: a drift in the engine's calls must be
// refused, so that tests fail loudly instead of agreeing with the drift.

#include <QString>
#include <QStringList>

#include <optional>

enum class CallId { C1, C2, C3, S1, S2, X1, H1, H2, H3 };

struct RecognisedCall {
    CallId id;
    QString path; // the package, or the mount point for H3
};

// "C1" .. "H3": the stem of the call's record files.
QString callName(CallId id);

// The call a tool name and argument list make, or nothing when they match no vector exactly.
std::optional<RecognisedCall> recogniseCall(const QString &tool, const QStringList &arguments);

// One line naming every vector the tool accepts (no line feed).
QByteArray usageLine(const QString &tool);
