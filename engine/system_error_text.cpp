#include "engine/system_error_text.h"

#include <csignal>
#include <cstring>

QString systemErrorText(int error)
{
#ifdef __GLIBC__
    const char *description = ::strerrordesc_np(error);
#else
    const char *description = std::strerror(error);
#endif
    return description ? QString::fromLatin1(description) : QStringLiteral("error %1").arg(error);
}

QString signalText(int number)
{
#ifdef __GLIBC__
    const char *description = ::sigdescr_np(number);
#else
    const char *description = ::strsignal(number);
#endif
    return description ? QString::fromLatin1(description) : QStringLiteral("unknown signal");
}
