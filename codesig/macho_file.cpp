#include "codesig/macho_file.h"

#include <QStringList>

#include <algorithm>

namespace codesig {
namespace {

constexpr std::uint32_t fatMagic = 0xcafebabe;
constexpr std::uint32_t fatMagic64 = 0xcafebabf;
constexpr std::uint32_t thinMagic32 = 0xfeedface;
constexpr std::uint32_t thinMagic64 = 0xfeedfacf;
constexpr std::uint32_t loadSegment32 = 0x1;
constexpr std::uint32_t loadSegment64 = 0x19;
constexpr std::uint32_t loadCodeSignature = 0x1d;
// Java class files share the universal magic; no real universal file has this many.
constexpr std::uint32_t maxArchitectures = 32;

QString architectureName(std::uint32_t cpuType, std::uint32_t cpuSubtype)
{
    const std::uint32_t subtype = cpuSubtype & 0xffffff;
    switch (cpuType) {
    case 0x01000007: return subtype == 8 ? QStringLiteral("x86_64h") : QStringLiteral("x86_64");
    case 0x0100000c: return subtype == 2 ? QStringLiteral("arm64e") : QStringLiteral("arm64");
    case 0x0200000c: return QStringLiteral("arm64_32");
    case 7: return QStringLiteral("i386");
    case 12: return QStringLiteral("arm");
    case 18: return QStringLiteral("ppc");
    case 0x01000012: return QStringLiteral("ppc64");
    default: return QStringLiteral("cpu%1").arg(cpuType);
    }
}

QString fixedName(ByteView bytes)
{
    QByteArray name = bytes.toByteArray();
    const qsizetype nul = name.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? name : name.left(nul));
}

// __TEXT,__info_plist inside one segment command; nullopt when absent.
std::optional<ByteRange> infoPlistSection(ByteView command, bool is64)
{
    const std::uint64_t headerSize = is64 ? 72 : 56;
    const std::uint64_t sectionSize = is64 ? 80 : 68;
    const auto segment = command.sub(8, 16);
    const auto count = command.le32(is64 ? 64 : 48);
    if (!segment || !count || fixedName(*segment) != QLatin1String("__TEXT"))
        return std::nullopt;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto section = command.sub(headerSize + i * sectionSize, sectionSize);
        if (!section)
            return std::nullopt;
        if (fixedName(*section->sub(0, 16)) != QLatin1String("__info_plist"))
            continue;
        const auto size = is64 ? section->le64(40) : section->le32Wide(36);
        const auto offset = section->le32(is64 ? 48 : 40);
        if (size && offset)
            return ByteRange{*offset, *size};
    }
    return std::nullopt;
}

QString readThin(MachOSlice &slice)
{
    const auto magic = slice.bytes.le32(0);
    if (!magic || (*magic != thinMagic32 && *magic != thinMagic64))
        return QStringLiteral("not a Mach-O file");
    const bool is64 = *magic == thinMagic64;
    const auto cpuType = slice.bytes.le32(4);
    const auto cpuSubtype = slice.bytes.le32(8);
    const auto commandCount = slice.bytes.le32(16);
    const auto commandsSize = slice.bytes.le32(20);
    const std::uint64_t headerSize = is64 ? 32 : 28;
    if (!cpuType || !cpuSubtype || !commandCount || !commandsSize)
        return QStringLiteral("the Mach-O header is truncated");
    slice.architecture = architectureName(*cpuType, *cpuSubtype);
    const auto commands = slice.bytes.sub(headerSize, *commandsSize);
    if (!commands)
        return QStringLiteral("the load commands run past the end of the file");
    std::uint64_t offset = 0;
    for (std::uint32_t i = 0; i < *commandCount; ++i) {
        const auto kind = commands->le32(offset);
        const auto size = commands->le32(offset + 4);
        if (!kind || !size || *size < 8)
            return QStringLiteral("a load command is damaged");
        const auto command = commands->sub(offset, *size);
        if (!command)
            return QStringLiteral("a load command runs past the end of its table");
        if (*kind == loadCodeSignature) {
            const auto dataOffset = command->le32(8);
            const auto dataSize = command->le32(12);
            if (!dataOffset || !dataSize)
                return QStringLiteral("the code signature command is truncated");
            // A second one would leave the reader and the loader to choose between signatures.
            if (slice.signature)
                return QStringLiteral("the Mach-O file has more than one code signature command");
            slice.signature = ByteRange{*dataOffset, *dataSize};
        } else if (*kind == (is64 ? loadSegment64 : loadSegment32) && !slice.infoPlist) {
            slice.infoPlist = infoPlistSection(*command, is64);
        }
        offset += *size;
    }
    // Room in the table no command accounts for could hide one from this reader.
    if (offset != *commandsSize)
        return QStringLiteral("the load commands do not fill their table");
    // Bytes past the signature are covered by nothing; strict verification refuses them.
    if (slice.signature && slice.signature->offset + slice.signature->length < slice.bytes.size())
        return QStringLiteral("data follows the code signature");
    return {};
}

// The universal header's table and every architecture each lie apart, one
// slice per architecture: a byte read as two architectures, or as the table,
// would be checked twice or not as what runs, and the loader picks one slice
// per architecture, so a second would never be the one checked.
QString layoutFailure(const std::vector<ByteRange> &ranges, const std::vector<std::uint64_t> &cpus)
{
    for (std::size_t i = 0; i < ranges.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (ranges[i].offset < ranges[j].offset + ranges[j].length
                && ranges[j].offset < ranges[i].offset + ranges[i].length)
                return QStringLiteral("two architectures of the universal file overlap");
    for (std::size_t i = 0; i < cpus.size(); ++i)
        if (std::find(cpus.begin(), cpus.begin() + std::ptrdiff_t(i), cpus[i]) != cpus.begin() + std::ptrdiff_t(i))
            return QStringLiteral("the universal file holds an architecture twice");
    return {};
}

MachOFile readUniversal(ByteView file, bool is64)
{
    MachOFile result;
    result.universal = true;
    const auto count = file.be32(4);
    if (!count || *count == 0 || *count > maxArchitectures) {
        result.error = QStringLiteral("the universal header is damaged");
        return result;
    }
    const std::uint64_t entrySize = is64 ? 32 : 20;
    std::vector<ByteRange> ranges{{0, 8 + *count * entrySize}};
    std::vector<std::uint64_t> cpus;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t entry = 8 + i * entrySize;
        const auto cpuType = file.be32Wide(entry), cpuSubtype = file.be32Wide(entry + 4);
        const auto offset = is64 ? file.be64(entry + 8) : file.be32Wide(entry + 8);
        const auto size = is64 ? file.be64(entry + 16) : file.be32Wide(entry + 12);
        const auto bytes = (cpuType && cpuSubtype && offset && size) ? file.sub(*offset, *size) : std::nullopt;
        if (!bytes) {
            result.error = QStringLiteral("an architecture lies outside the file");
            return result;
        }
        ranges.push_back(ByteRange{*offset, *size});
        cpus.push_back((*cpuType << 32) | (*cpuSubtype & 0xffffff));
        MachOSlice slice;
        slice.bytes = *bytes;
        const QString error = readThin(slice);
        result.signatureCommandSeen = result.signatureCommandSeen || slice.signature;
        if (!error.isEmpty()) {
            result.error = error;
            return result;
        }
        result.slices.push_back(slice);
    }
    result.error = layoutFailure(ranges, cpus);
    if (!result.error.isEmpty())
        result.slices.clear();
    return result;
}

} // namespace

bool looksLikeMachO(ByteView file)
{
    const auto big = file.be32(0);
    const auto little = file.le32(0);
    return (big && (*big == fatMagic || *big == fatMagic64))
        || (little && (*little == thinMagic32 || *little == thinMagic64));
}

MachOFile readMachO(ByteView file)
{
    const auto big = file.be32(0);
    if (big && (*big == fatMagic || *big == fatMagic64))
        return readUniversal(file, *big == fatMagic64);
    MachOFile result;
    MachOSlice slice;
    slice.bytes = file;
    result.error = readThin(slice);
    result.signatureCommandSeen = slice.signature.has_value();
    if (result.error.isEmpty())
        result.slices.push_back(slice);
    return result;
}

QString machOFormat(const MachOFile &file)
{
    QStringList names;
    for (const MachOSlice &slice : file.slices)
        names << slice.architecture;
    return QStringLiteral("Mach-O %1 (%2)")
        .arg(file.universal ? QStringLiteral("universal") : QStringLiteral("thin"), names.join(' '));
}

} // namespace codesig
