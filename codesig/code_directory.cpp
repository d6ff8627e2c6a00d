#include "codesig/code_directory.h"

namespace codesig {
namespace {

constexpr std::uint32_t codeDirectoryMagic = 0xfade0c02;
constexpr std::uint32_t firstVersionWithTeam = 0x20200;
constexpr std::uint32_t firstVersionWithLargeLimit = 0x20300;

QString readStrings(CodeDirectory &cd, ByteView blob)
{
    const auto identOffset = blob.be32(20);
    const auto identifier = identOffset ? blob.cString(*identOffset) : std::nullopt;
    if (!identifier)
        return QStringLiteral("the CodeDirectory's identifier lies outside it");
    cd.identifier = *identifier;
    if (cd.version >= firstVersionWithTeam) {
        const auto teamOffset = blob.be32(48);
        if (!teamOffset)
            return QStringLiteral("the CodeDirectory is truncated");
        if (*teamOffset != 0) {
            const auto team = blob.cString(*teamOffset);
            if (!team)
                return QStringLiteral("the CodeDirectory's team identifier lies outside it");
            cd.teamIdentifier = *team;
        }
    }
    return {};
}

QString readSlots(CodeDirectory &cd, ByteView blob, std::uint32_t hashOffset)
{
    const std::uint64_t special = std::uint64_t(cd.nSpecialSlots) * std::uint64_t(cd.kind.size);
    const std::uint64_t code = std::uint64_t(cd.nCodeSlots) * std::uint64_t(cd.kind.size);
    const auto codeSlots = blob.sub(hashOffset, code);
    if (special > hashOffset || !codeSlots)
        return QStringLiteral("the CodeDirectory's hash slots lie outside it");
    cd.codeSlots = *codeSlots;
    return {};
}

} // namespace

CodeDirectoryReading readCodeDirectory(ByteView blob)
{
    CodeDirectoryReading reading;
    const auto magic = blob.be32(0);
    const auto length = blob.be32(4);
    if (!magic || *magic != codeDirectoryMagic || !length || !blob.sub(0, *length)) {
        reading.error = QStringLiteral("the CodeDirectory is damaged");
        return reading;
    }
    CodeDirectory cd;
    cd.bytes = *blob.sub(0, *length);
    const auto version = cd.bytes.be32(8), flags = cd.bytes.be32(12), hashOffset = cd.bytes.be32(16);
    const auto nSpecial = cd.bytes.be32(24), nCode = cd.bytes.be32(28), limit = cd.bytes.be32(32);
    const auto hashSize = cd.bytes.u8(36), hashType = cd.bytes.u8(37), pageShift = cd.bytes.u8(39);
    if (!version || !flags || !hashOffset || !nSpecial || !nCode || !limit || !hashSize || !hashType || !pageShift) {
        reading.error = QStringLiteral("the CodeDirectory is truncated");
        return reading;
    }
    const auto kind = hashKind(*hashType);
    if (!kind || kind->size != *hashSize) {
        reading.error = QStringLiteral("the CodeDirectory names an unknown hash type %1").arg(*hashType);
        return reading;
    }
    cd.version = *version;
    cd.flags = *flags;
    cd.hashType = *hashType;
    cd.kind = *kind;
    cd.nSpecialSlots = *nSpecial;
    cd.nCodeSlots = *nCode;
    cd.pages = PageLayout{*limit, *pageShift, *nCode};
    if (cd.version >= firstVersionWithLargeLimit) {
        const auto limit64 = cd.bytes.be64(56);
        if (!limit64) {
            reading.error = QStringLiteral("the CodeDirectory is truncated");
            return reading;
        }
        if (*limit64 != 0)
            cd.pages.codeLimit = *limit64;
    }
    if (QString error = readStrings(cd, cd.bytes); !error.isEmpty()) {
        reading.error = error;
        return reading;
    }
    if (QString error = readSlots(cd, cd.bytes, *hashOffset); !error.isEmpty()) {
        reading.error = error;
        return reading;
    }
    cd.cdHash = digestOf(cd.kind, cd.bytes);
    reading.directory = cd;
    return reading;
}

std::optional<ByteView> boundSlot(const CodeDirectory &directory, SpecialSlot slot)
{
    const auto number = static_cast<std::uint32_t>(slot);
    if (number > directory.nSpecialSlots)
        return std::nullopt;
    const std::uint64_t size = std::uint64_t(directory.kind.size);
    // The code slots start at hashOffset; special slot n lies n digests before it.
    const std::uint64_t hashOffset = std::uint64_t(directory.codeSlots.data() - directory.bytes.data());
    const auto digest = directory.bytes.sub(hashOffset - number * size, size);
    if (!digest || digest->isAllZero())
        return std::nullopt;
    return digest;
}

} // namespace codesig
