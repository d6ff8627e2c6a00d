#include "codesig/binary_facts.h"

namespace codesig {
namespace {

constexpr std::uint32_t thinMagic64 = 0xfeedfacf;
constexpr std::uint32_t loadDylib = 0xc;
constexpr std::uint32_t versionMinMacOS = 0x24;
constexpr std::uint32_t buildVersion = 0x32;
constexpr std::uint32_t reexportDylib = 0x8000001f;
constexpr std::uint32_t loadUpwardDylib = 0x80000023;
constexpr std::uint32_t runPath = 0x8000001c;

// The lc_str a command holds at offset 8: an offset from the command's start.
std::optional<QString> commandString(ByteView command)
{
    const auto offset = command.le32(8);
    return offset ? command.cString(*offset) : std::nullopt;
}

void readCommand(BinaryFacts &facts, std::uint32_t kind, ByteView command)
{
    switch (kind) {
    case buildVersion:
        facts.minimumOs = command.le32(12);
        facts.sdk = command.le32(16);
        break;
    case versionMinMacOS:
        // LC_BUILD_VERSION, when both are present, is the one the loader reads.
        if (!facts.minimumOs) {
            facts.minimumOs = command.le32(8);
            facts.sdk = command.le32(12);
        }
        break;
    case loadDylib:
    case reexportDylib:
    case loadUpwardDylib:
        if (const auto name = commandString(command))
            facts.libraries << *name;
        break;
    case runPath:
        if (const auto path = commandString(command))
            facts.rpaths << *path;
        break;
    default: break;
    }
}

} // namespace

BinaryFacts readBinaryFacts(ByteView slice)
{
    BinaryFacts facts;
    const auto magic = slice.le32(0);
    const auto fileType = slice.le32(12);
    const auto count = slice.le32(16);
    const auto size = slice.le32(20);
    if (!magic || !fileType || !count || !size)
        return facts;
    facts.fileType = *fileType;
    const auto commands = slice.sub(*magic == thinMagic64 ? 32 : 28, *size);
    std::uint64_t offset = 0;
    for (std::uint32_t i = 0; commands && i < *count; ++i) {
        const auto kind = commands->le32(offset);
        const auto length = commands->le32(offset + 4);
        const auto command = (kind && length && *length >= 8) ? commands->sub(offset, *length) : std::nullopt;
        if (!command)
            break;
        readCommand(facts, *kind, *command);
        offset += *length;
    }
    return facts;
}

QString versionText(std::uint32_t packed)
{
    const std::uint32_t patch = packed & 0xff;
    QString text = QStringLiteral("%1.%2").arg(packed >> 16).arg((packed >> 8) & 0xff);
    return patch ? text + QStringLiteral(".%1").arg(patch) : text;
}

QString fileTypeName(std::uint32_t fileType)
{
    switch (fileType) {
    case machOType::executable: return QStringLiteral("executable");
    case machOType::dylib: return QStringLiteral("dylib");
    case machOType::bundle: return QStringLiteral("bundle");
    default: return QStringLiteral("type %1").arg(fileType);
    }
}

} // namespace codesig
