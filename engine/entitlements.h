#pragma once
// Reading the signed entitlements that the entitlements call (C3) prints.

#include <QString>
#include <QStringList>

// The entitlement keys a release build should not carry enabled, in the order they are named.
const QStringList &riskyEntitlementKeys();

// The property list cut out of the entitlements output (from "<?xml", else
// "<!DOCTYPE plist", else "<plist"); empty for no output or a bare "Executable=".
QString extractEntitlementsPlist(const QString &output);

// True only when the text is a property list whose root dictionary holds the key with the boolean true.
bool isEntitlementEnabled(const QString &key, const QString &entitlements);
