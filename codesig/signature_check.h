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
    QString codeName = QStringLiteral("executable"); // what the covered bytes are, in failures
};

struct SignatureCheck {
    SliceSignature slice;
    QStringList failures;       // headline first; empty when everything holds
    bool sealBound = false;     // slot 3 binds the resource seal given, and matches it
};

// code: every byte before the signature (of a Mach-O slice, of a disk
// image), which each CodeDirectory's code limit must reach exactly;
// superBlob: the embedded signature, wherever it lies.
SignatureCheck checkSignature(ByteView code, ByteView superBlob, const SlotSubjects &subjects);

} // namespace codesig
