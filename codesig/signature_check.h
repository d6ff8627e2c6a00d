#pragma once
// One embedded signature checked against the code it covers: the
// CodeDirectories' page digests, the special slots against what they bind,
// the CMS signature and its chain, and the designated requirement.

#include "codesig/byte_view.h"
#include "codesig/code_reading.h"

#include <QByteArray>

#include <optional>

namespace codesig {

// What the special slots are checked against, where the caller has it.
struct SlotSubjects {
    std::optional<QByteArray> infoPlist;    // slot 1; nullopt: nothing to compare with, not checked
    bool inBundle = false;                  // slot 3 then must match resourceSeal, which must exist
    std::optional<QByteArray> resourceSeal; // the bundle's _CodeSignature/CodeResources
    std::optional<QByteArray> repSpecific;  // slot 6 (a disk image's trailer as signed)
};

struct SignatureCheck {
    SliceSignature slice;
    QStringList failures;       // headline first; empty when everything holds
    bool sealBound = false;     // slot 3 binds the resource seal given, and matches it
};

// code: the bytes the page digests cover (a Mach-O slice, a disk image);
// superBlob: the embedded signature, wherever it lies.
SignatureCheck checkSignature(ByteView code, ByteView superBlob, const SlotSubjects &subjects);

} // namespace codesig
