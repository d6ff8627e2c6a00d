#pragma once
// The readers readCode chooses between, by what the path holds. depth counts
// how far into nested code a bundle's seal has led, so a bundle that nests
// itself ends in a failure instead of a loop.

#include "codesig/byte_view.h"
#include "codesig/code_reading.h"
#include "codesig/signature_check.h"

#include <optional>

namespace codesig {

constexpr int maxNestingDepth = 8;

CodeReading readCodeAtDepth(const QString &path, int depth);

struct MachOCodeReading {
    CodeReading reading;
    bool sealBound = false; // every signed architecture binds the resource seal given
};

MachOCodeReading readMachOCode(const QString &path, ByteView file, const SlotSubjects &subjects);

CodeReading readBundleCode(const QString &bundlePath, int depth);

// nullopt when the file does not end in a UDIF trailer.
std::optional<CodeReading> readDiskImageCode(ByteView file);

} // namespace codesig
