#include "codesig/binary_facts.h"
#include "codesig/code_directory.h"
#include "codesig/code_inventory_parts.h"
#include "codesig/macho_file.h"

#include "proplist/property_list.h"

namespace codesig {
namespace {

bool entitled(const QVariantMap &entitlements, const char *key)
{
    const QVariant value = entitlements.value(QLatin1String(key));
    return value.typeId() == QMetaType::Bool && value.toBool();
}

void describeSignature(SliceInventory &slice, const SignatureCheck &check)
{
    const SliceSignature &signature = check.slice;
    slice.kind = signatureKindOf(signature);
    slice.teamIdentifier = signature.teamIdentifier;
    slice.identifier = signature.identifier;
    slice.hardenedRuntime = signature.flags & cdFlag::runtime;
    slice.secureTimestamp = signature.validityRule == ValidityRule::secureTimestamp;
    slice.hashTypes = signature.hashTypes;
    slice.cdHashes = signature.cdHashes;
    slice.leafExpiry = leafExpiry(signature);
    slice.failures = check.failures;
    const std::optional<QVariant> entitlements =
        signature.entitlementsXml.isEmpty() ? std::nullopt : parsePropertyList(signature.entitlementsXml);
    const QVariantMap map = entitlements ? entitlements->toMap() : QVariantMap();
    slice.getTaskAllow = entitled(map, "com.apple.security.get-task-allow");
    slice.disablesLibraryValidation = entitled(map, "com.apple.security.cs.disable-library-validation");
}

} // namespace

void readItemSlices(CodeItem &item, ByteView file, const SlotSubjects &subjects, bool &sealBound)
{
    const MachOFile machO = readMachO(file);
    item.damage = machO.error;
    sealBound = machO.error.isEmpty() && subjects.inBundle;
    for (const MachOSlice &machOSlice : machO.slices) {
        SliceInventory slice;
        slice.architecture = machOSlice.architecture;
        const BinaryFacts facts = readBinaryFacts(machOSlice.bytes);
        slice.fileType = facts.fileType;
        slice.minimumOs = facts.minimumOs;
        slice.sdk = facts.sdk;
        slice.libraries = facts.libraries;
        slice.rpaths = facts.rpaths;
        const auto superBlob = machOSlice.signature
            ? machOSlice.bytes.sub(machOSlice.signature->offset, machOSlice.signature->length) : std::nullopt;
        if (machOSlice.signature && !superBlob) {
            slice.kind = SignatureKind::other;
            slice.failures << QStringLiteral("the signature lies outside the file");
        } else if (superBlob) {
            // The code is what lies before the signature, as verification reads it.
            const SignatureCheck check =
                checkSignature(*machOSlice.bytes.sub(0, machOSlice.signature->offset), *superBlob, subjects);
            describeSignature(slice, check);
            sealBound = sealBound && check.sealBound;
        }
        sealBound = sealBound && slice.kind != SignatureKind::none;
        item.slices.push_back(slice);
    }
}

} // namespace codesig
