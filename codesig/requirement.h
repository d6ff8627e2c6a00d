#pragma once
// A code requirement (blob 0xfade0c00): its expression decoded into the text
// form signing tools print, and evaluated against the code for the forms
// Developer ID and development signatures use. Any other form is named as not
// evaluated on this host, never passed.

#include "codesig/byte_view.h"
#include "codesig/openssl_handles.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace codesig {

struct RequirementContext {
    QString identifier;
    QList<QByteArray> cdHashes;         // truncated to 20 bytes
    std::vector<X509Ptr> chain;          // leaf first
    bool anchoredAtAppleRoot = false;    // the chain reached a pinned Apple root
};

struct RequirementCheck {
    QString text;
    QStringList failures; // empty when satisfied
};

// The designated requirement (type 3) inside a requirements blob (0xfade0c01).
std::optional<ByteView> designatedRequirement(ByteView requirementsBlob);

RequirementCheck checkRequirement(ByteView requirement, const RequirementContext &context);

} // namespace codesig
