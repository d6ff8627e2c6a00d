#pragma once
// The size a package occupies on disk. Never fails: what cannot be read counts 0.

#include <QUrl>

#include <cstdint>

// A plain file: its allocated size, else its logical size. A directory (an
// .app bundle): the allocated size of everything inside it, walked without
// following symbolic links, each hard-linked file counted once.
std::int64_t measureByteSize(const QUrl &location);
