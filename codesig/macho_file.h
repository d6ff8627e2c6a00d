#pragma once
// The layout of a Mach-O file as far as code signing needs it: its
// architectures (one for a thin file, several for a universal one) and, for
// each, where its embedded signature and its __TEXT,__info_plist lie.

#include "codesig/byte_view.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace codesig {

struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct MachOSlice {
    QString architecture;
    ByteView bytes;                        // the slice, inside the file
    std::optional<ByteRange> signature;    // LC_CODE_SIGNATURE, relative to the slice
    std::optional<ByteRange> infoPlist;    // __TEXT,__info_plist, relative to the slice
};

struct MachOFile {
    bool universal = false;
    std::vector<MachOSlice> slices;
    QString error; // non-empty when the bytes are a damaged Mach-O file
    bool signatureCommandSeen = false; // even in a file refused: the fault is then in signed code
};

// Whether the bytes start like a thin or universal Mach-O file.
bool looksLikeMachO(ByteView file);

MachOFile readMachO(ByteView file);

// "Mach-O thin (arm64)" or "Mach-O universal (x86_64 arm64)".
QString machOFormat(const MachOFile &file);

} // namespace codesig
