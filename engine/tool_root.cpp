#include "engine/tool_root.h"

#ifndef __APPLE__
#include <QCoreApplication>
#endif

QString defaultToolRoot()
{
#ifdef __APPLE__
    return QStringLiteral("/");
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/release-tools");
#endif
}
