#pragma once
// The size a package occupies on disk. Never fails: what cannot be read counts 0.

#include <QUrl>

#include <cstdint>

// A plain file: its allocated size. A directory (an .app bundle): the
// allocated size of everything inside it, walked without following symbolic
// links, each hard-linked file counted once. A package that is itself a
// symbolic link is measured where the link points.
std::int64_t measureByteSize(const QUrl &location);
