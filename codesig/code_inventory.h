#pragma once
// Every piece of code a package holds, read from its bytes: each Mach-O file
// below a folder (executables, dylibs, frameworks through their version
// folders, bundles, plug-ins, XPC services, helpers, login items) and those
// inside zip archives found there, each architecture with its file type,
// signature and build facts. Links are never followed and never counted.

#include "codesig/signing_identity.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace codesig {

struct SliceInventory {
    QString architecture;
    std::uint32_t fileType = 0; // machOType
    SignatureKind kind = SignatureKind::none;
    QString teamIdentifier;
    QString identifier;
    bool hardenedRuntime = false;
    bool secureTimestamp = false; // Apple's, and it holds
    bool getTaskAllow = false;
    bool disablesLibraryValidation = false;
    QStringList hashTypes;        // every CodeDirectory's
    QList<QByteArray> cdHashes;   // every CodeDirectory's digest, truncated to 20 bytes
    std::optional<std::uint32_t> minimumOs; // packed, see versionText
    std::optional<std::uint32_t> sdk;
    std::optional<QDateTime> leafExpiry;
    QStringList failures;         // the signature's, headline first; empty when it holds or is absent
    QStringList libraries;
    QStringList rpaths;
};

struct CodeItem {
    QString path;               // as the notary names it: the package's name, "/", the path inside
    QString filePath;           // on disk; empty for a member of a zip archive
    QString executableFolder;   // what @executable_path stands for when this code is loaded
    bool mainExecutable = false; // the executable of the app the package is (or of an app at a volume's top)
    std::optional<std::uint32_t> declaredMinimumOs; // LSMinimumSystemVersion of its nearest bundle declaring one
    QStringList sealFailures;   // the bundle's seal, when this is a bundle's executable and the seal fails
    QString damage;             // why the Mach-O file cannot be read, when it cannot
    std::vector<SliceInventory> slices;
};

struct CodeInventory {
    QString root;                // the folder read, cleaned
    QString name;                // what the items' paths start with
    std::vector<CodeItem> items; // in path order
    QString failure;             // why part of the folder could not be listed
};

// root: an app bundle, or a folder such as a disk image's volume; displayName
// starts every item's path ("Tidewater.app", "Tidewater 3.2.dmg").
CodeInventory inventoryOf(const QString &root, const QString &displayName);

// "10.13" as a packed version; nullopt when it is not one.
std::optional<std::uint32_t> parseVersion(const QString &text);

} // namespace codesig
