#pragma once
// The DER certificates of codesig/anchors, compiled in (see
// anchors/embed_certificates.cmake).

#include <cstddef>

namespace codesig {

struct EmbeddedCertificate {
    const char *fileName;
    const unsigned char *der;
    std::size_t size;
};

extern const EmbeddedCertificate embeddedCertificates[];
extern const std::size_t embeddedCertificateCount;

} // namespace codesig
