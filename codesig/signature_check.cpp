#include "codesig/signature_check.h"

#include "codesig/cms_signature.h"
#include "codesig/embedded_signature.h"
#include "codesig/requirement.h"

namespace codesig {
namespace {

const QString modified = QStringLiteral("invalid signature (code or signature have been modified)");

enum class Binding { unbound, matches, differs };

Binding slotBinding(const CodeDirectory &directory, SpecialSlot slot, std::optional<ByteView> subject)
{
    const auto digest = boundSlot(directory, slot);
    if (!digest)
        return Binding::unbound;
    if (!subject)
        return Binding::differs;
    return digestOf(directory.kind, *subject) == digest->toByteArray() ? Binding::matches : Binding::differs;
}

std::optional<ByteView> viewOf(const std::optional<QByteArray> &bytes)
{
    return bytes ? std::optional(ByteView(*bytes)) : std::nullopt;
}

// The failure of one CodeDirectory against the code and its bound blobs; empty when it holds.
QStringList directoryFailures(const CodeDirectory &cd, ByteView code, const EmbeddedSignature &signature,
                              const SlotSubjects &subjects, bool &sealBound)
{
    if (cd.pages.codeLimit != code.size())
        return {modified, QStringLiteral("the code signature does not cover the whole %1").arg(subjects.codeName)};
    if (!pageCountMatches(cd.pages))
        return {modified, QStringLiteral("the CodeDirectory's page count does not match its code limit")};
    if (firstMismatchedPage(code, cd.pages, cd.kind, cd.codeSlots))
        return {modified};
    const Binding info = subjects.infoPlist ? slotBinding(cd, SpecialSlot::infoPlist, viewOf(subjects.infoPlist)) : Binding::matches;
    if (info == Binding::differs)
        return {QStringLiteral("invalid Info.plist (plist or signature have been modified)")};
    // A bundle's Info.plist names its executable and identity: it must be bound.
    if (info == Binding::unbound && subjects.inBundle)
        return {QStringLiteral("invalid Info.plist (plist or signature have been modified)"),
                QStringLiteral("the Info.plist is not bound by the signature")};
    if (slotBinding(cd, SpecialSlot::requirements, signature.requirements) == Binding::differs
        || slotBinding(cd, SpecialSlot::entitlements, signature.entitlements) == Binding::differs
        || slotBinding(cd, SpecialSlot::derEntitlements, signature.derEntitlements) == Binding::differs
        || (subjects.repSpecific && slotBinding(cd, SpecialSlot::repSpecific, viewOf(subjects.repSpecific)) == Binding::differs))
        return {modified, QStringLiteral("a blob the signature binds has been modified")};
    if (!subjects.inBundle)
        return {};
    if (!subjects.resourceSeal)
        return {QStringLiteral("code has no resources but signature indicates they must be present")};
    const Binding seal = slotBinding(cd, SpecialSlot::resourceDirectory, viewOf(subjects.resourceSeal));
    if (seal == Binding::differs)
        return {QStringLiteral("invalid resource directory (directory or signature have been modified)")};
    if (seal == Binding::unbound)
        return {QStringLiteral("a sealed resource is missing or invalid"),
                QStringLiteral("the resource seal is not bound by the signature")};
    sealBound = true;
    return {};
}

QList<QByteArray> truncatedHashes(const EmbeddedSignature &signature)
{
    QList<QByteArray> hashes;
    for (const CodeDirectory &directory : signature.directories)
        hashes << directory.cdHash.left(20);
    return hashes;
}

// What the display reports, from the strongest CodeDirectory only when the
// signature binds them all; otherwise from the one it signs.
void describe(SliceSignature &slice, const EmbeddedSignature &signature, bool everyDirectoryBound)
{
    const CodeDirectory &best = everyDirectoryBound ? bestDirectory(signature) : signature.directories.front();
    slice.codeDirectoryVersion = best.version;
    slice.flags = best.flags;
    slice.hashType = best.kind.name;
    slice.identifier = best.identifier;
    slice.teamIdentifier = best.teamIdentifier;
    slice.cdHash = best.cdHash;
    // A shift the page check refuses (over 30) reports no page size rather than a wrapped one.
    slice.pageSize = best.pages.pageShift && best.pages.pageShift <= 30 ? 1 << best.pages.pageShift : 0;
    slice.cdHashes = everyDirectoryBound ? truncatedHashes(signature) : QList<QByteArray>{best.cdHash.left(20)};
    slice.hashTypes.clear();
    for (const CodeDirectory &directory : signature.directories) {
        if (everyDirectoryBound || &directory == &best)
            slice.hashTypes << directory.kind.name;
    }
    if (signature.entitlements)
        slice.entitlementsXml = signature.entitlements->from(8)->toByteArray();
}

QStringList requirementFailures(SliceSignature &slice, const EmbeddedSignature &signature, const CmsCheck &cms)
{
    const auto designated = signature.requirements ? designatedRequirement(*signature.requirements) : std::nullopt;
    if (!designated) {
        // Ad hoc code is designated by its own hash.
        if (slice.flags & cdFlag::adhoc)
            slice.designatedRequirement = QStringLiteral("cdhash H\"%1\"").arg(QString::fromLatin1(slice.cdHash.left(20).toHex()));
        return {};
    }
    const RequirementCheck check = checkRequirement(
        *designated, RequirementContext{slice.identifier, slice.cdHashes, cms.chain, cms.reachesAppleRoot});
    slice.designatedRequirement = check.text;
    return check.failures;
}

QByteArray derOf(X509 *certificate)
{
    unsigned char *der = nullptr;
    const int length = i2d_X509(certificate, &der);
    QByteArray bytes = length > 0 ? QByteArray(reinterpret_cast<const char *>(der), length) : QByteArray();
    OPENSSL_free(der);
    return bytes;
}

} // namespace

SignatureCheck checkSignature(ByteView code, ByteView superBlob, const SlotSubjects &subjects)
{
    SignatureCheck check;
    const EmbeddedSignature signature = readEmbeddedSignature(superBlob);
    if (!signature.error.isEmpty()) {
        check.failures << modified << signature.error;
        return check;
    }
    describe(check.slice, signature, false);
    for (const CodeDirectory &directory : signature.directories) {
        check.failures = directoryFailures(directory, code, signature, subjects, check.sealBound);
        if (!check.failures.isEmpty())
            return check;
    }
    const bool adhoc = signature.directories.front().flags & cdFlag::adhoc;
    if (!signature.cms || signature.cms->empty()) {
        // Ad hoc code has no signer to bind anything: every CodeDirectory held against the code.
        describe(check.slice, signature, true);
        if (!adhoc)
            check.failures << modified << QStringLiteral("the signature is not ad hoc but carries no CMS signature");
        check.failures << requirementFailures(check.slice, signature, CmsCheck{});
        return check;
    }
    const CmsCheck cms = checkCmsSignature(*signature.cms, signature.directories.front().bytes, truncatedHashes(signature));
    if (cms.everyDirectoryBound)
        describe(check.slice, signature, true);
    check.slice.developerId = cms.developerId;
    check.slice.authorities = cms.authorities;
    check.slice.secureTimestamp = cms.secureTimestamp;
    check.slice.signingTime = cms.signingTime;
    check.slice.validityRule = cms.validityRule;
    check.slice.leafCertificate = cms.chain.empty() ? QByteArray() : derOf(cms.chain.front().get());
    check.slice.leafReachesAppleRoot = cms.reachesAppleRoot;
    check.failures = cms.failures;
    const QStringList requirement = requirementFailures(check.slice, signature, cms);
    if (check.failures.isEmpty())
        check.failures = requirement;
    return check;
}

} // namespace codesig
