#pragma once
// The calls the stand-ins accept: exactly the contract's argument vectors,
// recognised by the name the tool was started under and its arguments.

#include "contract/release_tool_contract.h"

#include <QString>
#include <QStringList>

#include <optional>

struct RecognisedCall {
    CallId id;
    QString path; // the package, or the mount point for H3
};

// The call a tool name and argument list make, or nothing when they match no vector exactly.
std::optional<RecognisedCall> recogniseCall(const QString &tool, const QStringList &arguments);

// One line naming every vector the tool accepts (no line feed).
QByteArray usageLine(const QString &tool);
