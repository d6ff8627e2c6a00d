#pragma once
// The embedded signature SuperBlob (magic 0xfade0cc0) and the blobs its
// index names: the CodeDirectories, the requirements, the entitlements and
// the CMS signature.

#include "codesig/byte_view.h"
#include "codesig/code_directory.h"

#include <QString>

#include <optional>
#include <vector>

namespace codesig {

struct EmbeddedSignature {
    std::vector<CodeDirectory> directories; // slot 0 first, then the alternates in index order
    std::optional<ByteView> requirements;    // whole blob, 0xfade0c01
    std::optional<ByteView> entitlements;    // whole blob, 0xfade7171
    std::optional<ByteView> derEntitlements; // whole blob, 0xfade7172
    std::optional<ByteView> cms;             // the CMS bytes after the wrapper's header; may be empty
    QString error;                           // non-empty when the SuperBlob is damaged
    bool hasPrimary = false;                 // a CodeDirectory sits in slot 0, the one the CMS signs
};

EmbeddedSignature readEmbeddedSignature(ByteView superBlob);

// The CodeDirectory a display reports: the strongest hash kind.
const CodeDirectory &bestDirectory(const EmbeddedSignature &signature);

} // namespace codesig
