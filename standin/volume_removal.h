#pragma once
// Removing an unpacked volume whatever it holds: names that are no valid
// UTF-8 (7zz writes what an HFS+ or APFS volume stores), folders without
// write or search permission, trees deeper than any path can be long. It
// works on the names as bytes, one folder at a time, and follows no
// symbolic link.

#include <QByteArray>

#include <optional>

// Removes the folder at `path` and everything in it; a symbolic link there is
// removed itself. True when nothing of it is left (also when nothing was there).
bool removeTree(const QByteArray &path);

// The first name below `path`, relative to it, that is not valid UTF-8, or
// nothing. Such a name cannot be reported or inspected faithfully.
std::optional<QByteArray> nameNotInUtf8(const QByteArray &path);
