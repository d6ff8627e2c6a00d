#include "engine/tool_root.h"

#include "contract/release_tool_contract.h"

#ifndef __APPLE__
#include <QCoreApplication>
#include <QDir>
#endif

ToolRoot platformToolRoot()
{
    return ToolRoot{QStringLiteral("/"), HostLimits{}};
}

ToolRoot standInToolRoot(const QString &path)
{
    return ToolRoot{path, HostLimits{{HostQuestion::gatekeeperAssessment, HostQuestion::ticketAuthenticity,
                                      HostQuestion::certificateRevocation},
                                     kUndecidedStatus, true, recordedAnswersRequested()}};
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
