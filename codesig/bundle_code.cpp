#include "codesig/bundle_layout.h"
#include "codesig/bundle_seal.h"
#include "codesig/bundle_tree.h"
#include "codesig/code_reading_parts.h"
#include "codesig/mapped_file.h"
#include "proplist/property_list.h"
#include "contract/release_tool_contract.h"

namespace codesig {
namespace {

// A seal larger than this is not a bundle's own.
constexpr qint64 maxSealBytes = 64 * 1024 * 1024;
const QString unsuitable = QStringLiteral("bundle format unrecognized, invalid, or unsuitable");

CodeReading refused(const QString &why)
{
    CodeReading reading;
    reading.failures << unsuitable << why;
    return reading;
}

NestedCode checkNestedCode(const QString &nestedPath, int depth)
{
    NestedCode nested;
    if (depth > maxNestingDepth) {
        nested.failures << QStringLiteral("nested code is nested too deeply") << QStringLiteral("In subcomponent: %1").arg(nestedPath);
        return nested;
    }
    const CodeReading reading = readCodeAtDepth(nestedPath, depth);
    nested.failures = reading.failures;
    for (const SliceSignature &slice : reading.slices)
        nested.cdHashes << slice.cdHashes;
    return nested;
}

} // namespace

// Apps, plug-ins, XPC services and helpers keep their code under Contents/,
// a framework under its current version; the signature binds the Info.plist
// and the seal found there.
CodeReading readBundleCode(const QString &bundlePath, int depth)
{
    const BundleLayoutReading found = readBundleLayout(bundlePath);
    if (!found.layout)
        return refused(found.failure);
    const BundleLayout &layout = *found.layout;
    MappedFile file(layout.executablePath);
    if (!file.isOpen())
        return refused(QStringLiteral("the main executable cannot be read"));
    SlotSubjects subjects;
    subjects.infoPlist = found.infoPlist;
    subjects.inBundle = true;
    subjects.resourceSeal = readRegularFile(layout.sealPath, maxSealBytes);
    MachOCodeReading machO = readMachOCode(layout.executablePath, file.bytes(), subjects);
    CodeReading &reading = machO.reading;
    if (!reading.format.isEmpty())
        reading.format.prepend(bundlePath.endsWith(QLatin1String(".app")) ? QStringLiteral("app bundle with ")
                                                                           : QStringLiteral("bundle with "));
    if (!reading.isSigned) {
        // The bundle as a whole is what is unsigned; its executable is named.
        reading.failures = QStringList{QLatin1String(kNotSignedAtAll)};
        return reading;
    }
    if (reading.failures.isEmpty() && machO.sealBound)
        reading.failures = verifyBundleSeal(layout, *subjects.resourceSeal,
                                            [depth](const QString &nested) { return checkNestedCode(nested, depth + 1); });
    return reading;
}

} // namespace codesig
