#pragma once
// Apple's certificate authorities, compiled in and trusted by pinned
// SHA-256 fingerprint: the roots a chain must end in, the intermediates a
// signature may leave out, and the CA that issues Apple's timestamp servers.

#include "codesig/openssl_handles.h"

#include <vector>

namespace codesig {

struct AppleAnchors {
    std::vector<X509Ptr> roots;
    std::vector<X509Ptr> intermediates;
    X509Ptr timestampAuthority; // null if its pinned certificate is missing
};

const AppleAnchors &appleAnchors();

} // namespace codesig
