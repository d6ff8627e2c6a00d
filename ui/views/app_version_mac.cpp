// The values of the running application bundle's Info.plist.

#include "ui/views/app_version.h"

#include <CoreFoundation/CoreFoundation.h>

namespace {

// Only text is passed on; a number or any other type counts as missing.
QVariant mainBundleText(CFStringRef key)
{
    CFBundleRef bundle = CFBundleGetMainBundle();
    if (!bundle)
        return {};
    CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(bundle, key);
    if (!value || CFGetTypeID(value) != CFStringGetTypeID())
        return {};
    return QString::fromCFString(static_cast<CFStringRef>(value));
}

} // namespace

QVariant recordedShortVersion()
{
    return mainBundleText(CFSTR("CFBundleShortVersionString"));
}

QVariant recordedBuildVersion()
{
    return mainBundleText(CFSTR("CFBundleVersion"));
}
