#pragma once
// A linear scan of the binary form of a property list ("bplist00"), made
// before the recursive parser sees it: that parser would follow a chain of
// containers as deep as the file makes it, and expand a container referenced
// from several places once for every reference.

#include <QByteArray>

// True when the object table is sound, no value lies deeper than maximumDepth
// containers (the root is at depth 0), no container holds itself, the tree
// the references spell out has no more values than the file has bytes, and
// no text reached from the root holds a NUL or, in UTF-16, a lone surrogate.
bool binaryPropertyListWithinLimits(const QByteArray &bytes, int maximumDepth);
