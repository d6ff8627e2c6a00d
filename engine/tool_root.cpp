#include "engine/tool_root.h"

#ifndef __APPLE__
#include <QCoreApplication>
#include <QDir>
#endif

namespace {
// EX_UNAVAILABLE: the stand-ins answer a question only a Mac can decide with
// it; none of the platform's release tools uses it for a verdict.
constexpr int standInUndecidedStatus = 69;
} // namespace

ToolRoot platformToolRoot()
{
    return ToolRoot{QStringLiteral("/"), HostLimits{}};
}

ToolRoot standInToolRoot(const QString &path)
{
    return ToolRoot{path, HostLimits{{HostQuestion::gatekeeperAssessment, HostQuestion::ticketAuthenticity},
                                     standInUndecidedStatus, true}};
}

ToolRoot defaultToolRoot()
{
#ifdef __APPLE__
    return platformToolRoot();
#else
    return standInToolRoot(QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                           + QStringLiteral(VERISTAMP_TOOL_ROOT_FROM_PROGRAMS)));
#endif
}

bool leftUndecided(const HostLimits &limits, HostQuestion question, int exitStatus)
{
    return limits.undecidable.contains(question) && exitStatus == limits.undecidedStatus;
}
