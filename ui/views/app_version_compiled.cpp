// Outside a macOS bundle there is no information dictionary: the build
// compiles the version and build number in (VERISTAMP_VERSION, VERISTAMP_BUILD).

#include "ui/views/app_version.h"

QVariant recordedShortVersion()
{
#ifdef VERISTAMP_VERSION
    return QStringLiteral(VERISTAMP_VERSION);
#else
    return {};
#endif
}

QVariant recordedBuildVersion()
{
#ifdef VERISTAMP_BUILD
    return QStringLiteral(VERISTAMP_BUILD);
#else
    return {};
#endif
}
