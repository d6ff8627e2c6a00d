#pragma once
// Apple's secure timestamp: an RFC 3161 token in the CMS signer's unsigned
// attributes. It counts only when its own signature holds, its signer chains
// through the pinned Apple Timestamp CA to an Apple root at the time it
// states, and its message imprint covers the CMS signature value.

#include "codesig/byte_view.h"

#include <openssl/cms.h>

#include <QDateTime>
#include <QString>

#include <optional>

namespace codesig {

struct TimestampCheck {
    bool present = false;
    std::optional<QDateTime> time; // UTC; set only when the token holds
    QString failure;
};

TimestampCheck checkTimestamp(CMS_SignerInfo *signer);

// An ASN.1 time as a UTC QDateTime; nullopt when it does not parse.
std::optional<QDateTime> asn1Time(const ASN1_TIME *time);

} // namespace codesig
