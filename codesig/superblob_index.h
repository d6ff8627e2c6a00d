#pragma once
// The index of a signature SuperBlob (magic 0xfade0cc0): a count, then one
// (type, offset) pair per blob. Every reader of a SuperBlob, the embedded
// signature's and a disk image's stapled ticket's, goes through this one, so
// none takes a blob another would refuse.

#include "codesig/byte_view.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace codesig {

struct SuperBlobEntry {
    std::uint32_t type = 0;
    std::uint32_t offset = 0;
    ByteView room; // from offset up to the next blob or the SuperBlob's end
};

struct SuperBlobIndex {
    ByteView blob;                       // the SuperBlob, bounded by its own length field
    std::vector<SuperBlobEntry> entries; // in index order
    QString error;                       // non-empty when the SuperBlob is damaged; then no entries
};

SuperBlobIndex readSuperBlobIndex(ByteView superBlob);

} // namespace codesig
