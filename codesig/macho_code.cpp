#include "codesig/code_reading_parts.h"

#include "codesig/macho_file.h"
#include "contract/release_tool_contract.h"

namespace codesig {
namespace {

const QString notSigned = QLatin1String(kNotSignedAtAll);

QString architectureLine(const QString &architecture)
{
    return QStringLiteral("In architecture: %1").arg(architecture);
}

// A slice's failures with the architecture named after the headline.
QStringList placed(QStringList failures, const QString &architecture)
{
    failures.insert(1, architectureLine(architecture));
    return failures;
}

void append(QStringList &failures, const QStringList &more)
{
    for (const QString &line : more)
        if (!failures.contains(line))
            failures << line;
}

} // namespace

MachOCodeReading readMachOCode(const QString &path, ByteView file, const SlotSubjects &subjects)
{
    MachOCodeReading result;
    CodeReading &reading = result.reading;
    reading.executablePath = path;
    const MachOFile machO = readMachO(file);
    if (!machO.error.isEmpty()) {
        reading.isSigned = machO.signatureCommandSeen;
        reading.failures << QStringLiteral("main executable failed strict validation") << machO.error;
        return result;
    }
    reading.format = machOFormat(machO);
    result.sealBound = true;
    QStringList unsignedArchitectures;
    for (const MachOSlice &slice : machO.slices) {
        if (!slice.signature) {
            unsignedArchitectures << slice.architecture;
            continue;
        }
        reading.isSigned = true;
        SlotSubjects own = subjects;
        // A bare executable binds its embedded Info.plist, if it has one.
        if (!own.infoPlist && slice.infoPlist)
            if (const auto embedded = slice.bytes.sub(slice.infoPlist->offset, slice.infoPlist->length))
                own.infoPlist = embedded->toByteArray();
        const auto superBlob = slice.bytes.sub(slice.signature->offset, slice.signature->length);
        SignatureCheck check = superBlob ? checkSignature(*slice.bytes.sub(0, slice.signature->offset), *superBlob, own)
                                         : SignatureCheck{};
        if (!superBlob)
            check.failures << QStringLiteral("invalid signature (code or signature have been modified)")
                           << QStringLiteral("the signature lies outside the file");
        check.slice.architecture = slice.architecture;
        result.sealBound = result.sealBound && check.sealBound;
        reading.slices.push_back(check.slice);
        if (!check.failures.isEmpty())
            append(reading.failures, placed(check.failures, slice.architecture));
    }
    for (const QString &architecture : unsignedArchitectures)
        append(reading.failures, {notSigned, architectureLine(architecture)});
    if (!reading.isSigned)
        result.sealBound = false;
    return result;
}

} // namespace codesig
