#pragma once
// Where the release tools live, the one place the application learns it.
// On macOS the real tools answer at their own paths, so the root is "/".
// Elsewhere it is the stand-in root "release-tools" beside the running
// executable, which the build tree and an installed tree both provide.

#include <QString>

QString defaultToolRoot();
