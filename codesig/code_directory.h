#pragma once
// One CodeDirectory blob (magic 0xfade0c02): what it says about the code and
// the digests it holds, the special slots counted down from hashOffset and
// the code slots counted up from it.

#include "codesig/byte_view.h"
#include "codesig/hash_kind.h"
#include "codesig/page_hashes.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace codesig {

namespace cdFlag {
constexpr std::uint32_t adhoc = 0x2;
constexpr std::uint32_t runtime = 0x10000;
constexpr std::uint32_t linkerSigned = 0x20000;
} // namespace cdFlag

// The special slots this reader checks, by their number below hashOffset.
enum class SpecialSlot : unsigned {
    infoPlist = 1, requirements = 2, resourceDirectory = 3, repSpecific = 6,
    entitlements = 5, derEntitlements = 7,
};

struct CodeDirectory {
    ByteView bytes; // the whole blob, as its digest covers it
    std::uint32_t version = 0;
    std::uint32_t flags = 0;
    std::uint8_t hashType = 0;
    HashKind kind;
    QString identifier;
    QString teamIdentifier;
    std::uint32_t nSpecialSlots = 0;
    std::uint32_t nCodeSlots = 0;
    PageLayout pages;
    ByteView codeSlots;
    QByteArray cdHash; // digest of bytes with the directory's own hash kind
};

struct CodeDirectoryReading {
    std::optional<CodeDirectory> directory;
    QString error;
};

CodeDirectoryReading readCodeDirectory(ByteView blob);

// The digest a special slot holds; nullopt when the slot lies beyond
// nSpecialSlots or is zero-filled (nothing bound there).
std::optional<ByteView> boundSlot(const CodeDirectory &directory, SpecialSlot slot);

} // namespace codesig
