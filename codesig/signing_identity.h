#pragma once
// Which kind of signature a slice carries, judged from its CodeDirectory's
// flags and the certificate that verified it, never from names a signer can
// choose: a self-made certificate called "Developer ID Application" is "other".

#include "codesig/code_reading.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace codesig {

enum class SignatureKind { none, adHoc, linkerSigned, developerId, appleDevelopment, macAppDistribution, other };

// "none", "ad hoc", "linker-signed", "Developer ID", "Apple Development", "Mac App Distribution", "other".
QString signatureKindName(SignatureKind kind);

// A signed slice's kind.
SignatureKind signatureKindOf(const SliceSignature &slice);

// When the signing certificate stops being valid; nullopt when there is none.
std::optional<QDateTime> leafExpiry(const SliceSignature &slice);

} // namespace codesig
