#pragma once
// What a package's own bytes say about its code signature, read without the
// platform's tools: a Mach-O file (thin or universal), an app bundle (its main
// executable, its seal and its nested code) or a UDIF disk image (the image's
// own signature). Errors are values: nothing here throws.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace codesig {

// The time at which the leaf certificate's validity was judged.
enum class ValidityRule {
    secureTimestamp, // Apple's secure timestamp, itself checked up to the Apple Timestamp CA
    signingTime,     // the CMS signing-time attribute (no secure timestamp)
    none,            // ad hoc: no certificates to judge
};

// One architecture of a Mach-O file, or the single signature of a disk image.
struct SliceSignature {
    QString architecture;        // "arm64", "x86_64", "arm64e", "i386"; empty for a disk image
    quint32 codeDirectoryVersion = 0;
    quint32 flags = 0;           // the CodeDirectory's flags (0x10000 runtime, 0x2 adhoc, 0x20000 linker-signed)
    QString hashType;            // "sha256" or "sha1": the CodeDirectory the display reports
    QString identifier;
    QString teamIdentifier;      // empty when the CodeDirectory carries none
    QByteArray cdHash;           // full digest of the reported CodeDirectory
    QList<QByteArray> cdHashes;  // every CodeDirectory's digest truncated to 20 bytes (what tickets list)
    int pageSize = 0;
    QByteArray entitlementsXml;  // the signed entitlements as stored; empty when none
    QStringList authorities;     // certificate common names, leaf first; empty when ad hoc
    bool developerId = false;    // the chain holds with a Developer ID Application leaf under a Developer ID CA
    std::optional<QDateTime> secureTimestamp; // UTC
    std::optional<QDateTime> signingTime;     // UTC
    ValidityRule validityRule = ValidityRule::none;
    QString designatedRequirement; // its text form, e.g. identifier "x" and anchor apple generic and ...
    QList<QString> hashTypes;    // every CodeDirectory's hash kind, in the SuperBlob's order
    QByteArray leafCertificate;  // the signer's certificate (DER); empty when ad hoc
    bool leafReachesAppleRoot = false; // its chain was built to one of Apple's pinned roots
};

struct CodeReading {
    bool isSigned = false;  // a code signature was found at all
    // codesign's Format= value: "app bundle with Mach-O thin (arm64)",
    // "app bundle with Mach-O universal (x86_64 arm64)", "Mach-O thin (arm64)", "disk image".
    QString format;
    QString executablePath; // the Mach-O file read (a bundle's main executable); empty for a disk image
    std::vector<SliceSignature> slices; // in file order
    // Empty when the signature, its seal, its nested code and its designated
    // requirement all hold. Otherwise the first line is the headline in the
    // platform's words ("a sealed resource is missing or invalid",
    // "invalid signature (code or signature have been modified)",
    // "code object is not signed at all", ...) and the lines after it name what
    // failed ("file modified: <absolute path>", "file added: <absolute path>",
    // "file missing: <absolute path>", "In architecture: arm64",
    // "In subcomponent: <absolute path>", a requirement "not evaluated on this host", ...).
    QStringList failures;
};

// Reads and checks the signature of a bundle folder, a Mach-O file or a UDIF
// disk image. Never throws; unreadable or hostile input becomes failures.
CodeReading readCode(const QString &path);

struct StapledTicket {
    bool present = false;   // a ticket is stapled (an app's Contents/CodeResources, an image's ticket slot)
    bool namesCode = false; // its list of code hashes holds one of the code's cdHashes
};

// Whether a notarization ticket is stapled to the package and names this code.
// Its authenticity is never claimed: only Apple's services can confirm that.
StapledTicket readStapledTicket(const QString &path, const CodeReading &code);

} // namespace codesig
