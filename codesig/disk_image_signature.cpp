// A UDIF disk image's own signature: the 512-byte 'koly' trailer at the end
// of the file (big-endian) gives the offset and length of an embedded
// SuperBlob. Its CodeDirectory hashes the image up to the signature, and its
// rep-specific slot the trailer itself with the signature length zeroed, the
// one value not known when the digest was taken.

#include "codesig/code_reading_parts.h"

namespace codesig {
namespace {

constexpr std::uint64_t trailerSize = 512;
constexpr std::uint32_t trailerMagic = 0x6b6f6c79; // "koly"
constexpr std::uint64_t signatureOffsetField = 296;
constexpr std::uint64_t signatureLengthField = 304;

} // namespace

std::optional<CodeReading> readDiskImageCode(ByteView file)
{
    if (file.size() < trailerSize)
        return std::nullopt;
    const ByteView trailer = *file.sub(file.size() - trailerSize, trailerSize);
    if (trailer.be32(0) != trailerMagic)
        return std::nullopt;
    CodeReading reading;
    reading.format = QStringLiteral("disk image");
    const std::uint64_t offset = *trailer.be64(signatureOffsetField);
    const std::uint64_t length = *trailer.be64(signatureLengthField);
    if (offset == 0 && length == 0) {
        reading.failures << QStringLiteral("code object is not signed at all");
        return reading;
    }
    reading.isSigned = true;
    const auto superBlob = file.sub(offset, length);
    if (!superBlob || offset + length > file.size() - trailerSize) {
        reading.failures << QStringLiteral("invalid signature (code or signature have been modified)")
                         << QStringLiteral("the signature lies outside the image");
        return reading;
    }
    QByteArray signedTrailer = trailer.toByteArray();
    signedTrailer.replace(qsizetype(signatureLengthField), 8, QByteArray(8, '\0'));
    SlotSubjects subjects;
    subjects.repSpecific = signedTrailer;
    subjects.codeName = QStringLiteral("image");
    const SignatureCheck check = checkSignature(*file.sub(0, offset), *superBlob, subjects);
    reading.slices.push_back(check.slice);
    reading.failures = check.failures;
    return reading;
}

} // namespace codesig
