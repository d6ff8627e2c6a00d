#pragma once
// Where the release tools live, the one place the application learns it.
// On macOS the real tools answer at their own paths, so the root is "/".
// Elsewhere it is the stand-in root, found from the running executable by the
// relative path the build compiled in (VERISTAMP_TOOL_ROOT_FROM_PROGRAMS,
// "../libexec/veristamp/release-tools" by default); the build tree and an
// installed tree both lay it out so.

#include <QString>

QString defaultToolRoot();
