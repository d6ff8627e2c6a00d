#pragma once
// The CMS signature of a CodeDirectory (blob 0x10000): a detached SignedData
// over the primary CodeDirectory's bytes, its signer's chain to Apple's
// pinned roots, judged at Apple's secure timestamp or else the signing time,
// and the CDHashes attribute that binds the alternate CodeDirectories.

#include "codesig/byte_view.h"
#include "codesig/code_reading.h"
#include "codesig/openssl_handles.h"

#include <QList>
#include <QStringList>

#include <vector>

namespace codesig {

struct CmsCheck {
    QStringList failures; // headline first; empty when the signature holds
    std::vector<X509Ptr> chain;
    bool reachesAppleRoot = false;
    bool developerId = false;         // see ChainCheck
    bool everyDirectoryBound = false; // the signature binds every CodeDirectory, alternates included
    QStringList authorities;
    std::optional<QDateTime> secureTimestamp;
    std::optional<QDateTime> signingTime;
    ValidityRule validityRule = ValidityRule::none;
};

// cdHashes: every CodeDirectory's digest truncated to 20 bytes, in the
// SuperBlob's order, which the CDHashes attribute must list; it may be
// absent only where there is no alternate CodeDirectory to bind.
CmsCheck checkCmsSignature(ByteView cms, ByteView primaryDirectory, const QList<QByteArray> &cdHashes);

} // namespace codesig
