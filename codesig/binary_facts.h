#pragma once
// What one architecture of a Mach-O file says about itself in its header and
// load commands, beyond its signature: what kind of file it is, the system it
// needs and the SDK it was built against, and the libraries it loads.

#include "codesig/byte_view.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace codesig {

namespace machOType {
constexpr std::uint32_t executable = 2;
constexpr std::uint32_t dylib = 6;
constexpr std::uint32_t bundle = 8;
} // namespace machOType

struct BinaryFacts {
    std::uint32_t fileType = 0;
    std::optional<std::uint32_t> minimumOs; // packed xxxx.yy.zz, as the load commands hold it
    std::optional<std::uint32_t> sdk;
    QStringList libraries; // names loaded for certain (weak loads left out: their absence is allowed)
    QStringList rpaths;
};

// Reads a thin slice; what cannot be read is left unset.
BinaryFacts readBinaryFacts(ByteView slice);

// "10.13", "13.1.2": a packed version as people write it.
QString versionText(std::uint32_t packed);

// "executable", "dylib", "bundle", or "type N".
QString fileTypeName(std::uint32_t fileType);

} // namespace codesig
