// A UDIF disk image's own signature: the trailer at the end of the file gives
// the offset and length of an embedded SuperBlob. Its CodeDirectory hashes the
// image up to the signature, and its rep-specific slot the trailer itself.

#include "codesig/code_reading_parts.h"
#include "codesig/udif_trailer.h"
#include "contract/release_tool_contract.h"

namespace codesig {

std::optional<CodeReading> readDiskImageCode(ByteView file)
{
    const std::optional<UdifTrailer> trailer = readUdifTrailer(file);
    if (!trailer)
        return std::nullopt;
    CodeReading reading;
    reading.format = QStringLiteral("disk image");
    if (trailer->signature == UdifSignatureExtent::none) {
        reading.failures << QLatin1String(kNotSignedAtAll);
        return reading;
    }
    reading.isSigned = true;
    if (trailer->signature != UdifSignatureExtent::inside) {
        reading.failures << QStringLiteral("invalid signature (code or signature have been modified)")
                         << (trailer->signature == UdifSignatureExtent::outside
                                 ? QStringLiteral("the signature lies outside the image")
                                 : QStringLiteral("the signature is longer than any signature could be"));
        return reading;
    }
    SlotSubjects subjects;
    subjects.repSpecific = signedUdifTrailer(*trailer);
    subjects.codeName = QStringLiteral("image");
    const SignatureCheck check = checkSignature(*file.sub(0, trailer->signatureOffset),
                                                *file.sub(trailer->signatureOffset, trailer->signatureLength), subjects);
    reading.slices.push_back(check.slice);
    reading.failures = check.failures;
    return reading;
}

} // namespace codesig
