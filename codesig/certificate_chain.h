#pragma once
// A certificate's chain, built up to one of Apple's pinned roots and judged
// at one moment (the secure timestamp or the signing time), then held to
// what it is used for: a code chain's leaf must be meant for signing code,
// and only a Developer ID Application leaf under a Developer ID CA counts as
// Developer ID; a timestamp's leaf must be meant for timestamps.

#include "codesig/apple_anchors.h"
#include "codesig/openssl_handles.h"

#include <QString>
#include <QStringList>

#include <ctime>
#include <vector>

namespace codesig {

// Code chains are built from the signature's certificates and Apple's
// intermediates, never through the timestamp CA; timestamp chains through
// the token's certificates and the timestamp CA.
enum class ChainPurpose { code, timestamp };

struct ChainCheck {
    std::vector<X509Ptr> chain; // leaf first; as far as it got when it failed
    bool reachesAppleRoot = false;
    bool developerId = false;   // the leaf's Developer ID Application extension, its issuer's Developer ID CA one
    QString failure;            // a headline; empty when the chain holds at that moment
};

// moment names the time of judgement in failures: "signing time", "secure timestamp".
ChainCheck checkChain(X509 *leaf, STACK_OF(X509) *supplied, std::time_t at, const QString &moment,
                      ChainPurpose purpose, const AppleAnchors &anchors = appleAnchors());

QStringList commonNames(const std::vector<X509Ptr> &chain);

// Developer ID Application leaves mark themselves with this critical
// extension; OpenSSL does not know it, and it says nothing a verifier must act on.
inline constexpr char kDeveloperIdLeafExtension[] = "1.2.840.113635.100.6.1.13";

// Whether the certificate carries the extension with this dotted OID.
bool hasExtension(X509 *certificate, const char *oid);

} // namespace codesig
