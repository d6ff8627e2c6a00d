#include "ui/views/app_version.h"

QString applicationVersion()
{
    return recordedTextOr(recordedShortVersion(), QStringLiteral("1.0"));
}

QString applicationBuild()
{
    return recordedTextOr(recordedBuildVersion(), QStringLiteral("1"));
}

QString recordedTextOr(const QVariant &recorded, const QString &fallback)
{
    if (recorded.typeId() != QMetaType::QString)
        return fallback;
    const QString text = recorded.toString();
    return text.isEmpty() ? fallback : text;
}
