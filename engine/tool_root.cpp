#include "engine/tool_root.h"

#ifndef __APPLE__
#include <QCoreApplication>
#include <QDir>
#endif

QString defaultToolRoot()
{
#ifdef __APPLE__
    return QStringLiteral("/");
#else
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                           + QStringLiteral(VERISTAMP_TOOL_ROOT_FROM_PROGRAMS));
#endif
}
