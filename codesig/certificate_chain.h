#pragma once
// A signing certificate's chain, built from the certificates a signature
// carries (and Apple's pinned intermediates) up to one of Apple's pinned
// roots, and judged at one moment: the secure timestamp or the signing time.

#include "codesig/openssl_handles.h"

#include <QString>
#include <QStringList>

#include <ctime>
#include <vector>

namespace codesig {

struct ChainCheck {
    std::vector<X509Ptr> chain; // leaf first; as far as it got when it failed
    bool reachesAppleRoot = false;
    QString failure;            // a headline; empty when the chain holds at that moment
};

// moment names the time of judgement in failures: "signing time", "secure timestamp".
ChainCheck checkChain(X509 *leaf, STACK_OF(X509) *supplied, std::time_t at, const QString &moment);

QStringList commonNames(const std::vector<X509Ptr> &chain);

} // namespace codesig
