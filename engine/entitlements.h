#pragma once
// Reading the signed entitlements that the entitlements call (C3) prints.

#include "engine/program_run.h"

#include <QString>
#include <QStringList>

// The entitlement keys a release build should not carry enabled, in the order they are named.
const QStringList &riskyEntitlementKeys();

// The property list cut out of the entitlements output (from "<?xml", else
// "<!DOCTYPE plist", else "<plist"); empty for no output or a bare "Executable=".
QString extractEntitlementsPlist(QString output);

// What the entitlements call reported, parsed once.
struct SignedEntitlements {
    enum class Reading { none, readable, unreadable };
    Reading reading = Reading::none;
    QString text;                  // the property list as shown to the user; empty when none
    QStringList enabledRiskyKeys;  // in the order of riskyEntitlementKeys, for a readable dictionary
};

// None: the call succeeded, or failed only because the code is not signed at
// all, and its standard output holds only white space and the tool's own
// "Executable=" lines. Readable: that output holds a property
// list dictionary in UTF-8 text. Unreadable: anything else, a failed call
// included, so that entitlements nobody could read never pass as harmless.
SignedEntitlements readSignedEntitlements(const Program::DataResult &call);
