#pragma once
// Signed code made by the tests themselves, written from the published
// formats (Mach-O, the embedded signature SuperBlob, CodeDirectory v0x20400,
// the CodeResources property list, UDIF's trailer), never with the reader
// under test: CodeDirectories and SuperBlobs laid out by hand, thin and
// universal Mach-O files, ad hoc signed disk images, bundles signed inside
// out as `codesign --deep -s -` would, and certificates with the extensions
// a chain policy looks at.

#include <openssl/types.h>

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

namespace signer {

// Writes a field of a file's bytes.
void putBe32(QByteArray &bytes, qsizetype at, quint32 value);
void putLe32(QByteArray &bytes, qsizetype at, quint32 value);

struct Directory {
    int hashType = 2; // as a CodeDirectory names it: 1 SHA-1, 2 SHA-256, 4 SHA-384
    QByteArray identifier = "com.example.tool";
    quint32 flags = 0x2; // adhoc
    std::optional<quint32> codeLimit; // default: all the code given
    std::optional<quint32> codeSlots; // default: one per 4 KiB page of the limit
    QMap<int, QByteArray> special;    // slot number -> the bytes it binds
};

QByteArray codeDirectory(const QByteArray &code, const Directory &directory);

struct Blob {
    quint32 type;
    QByteArray bytes;
    std::optional<quint32> offset = {}; // where the index says it lies; default: laid out in turn
};

QList<Blob> blobsOf(const QByteArray &superBlob);
// A CMS blob wrapping a DER signature; empty for an ad hoc one.
QByteArray cmsBlob(const QByteArray &der = {});

// Where a thin file's signature starts, and where the blob of a type lies in it (-1: none).
qsizetype signatureOffset(const QByteArray &thin);
qsizetype blobOffset(const QByteArray &thin, quint32 type);
// The thin file with its signature's blobs replaced; the room reserved for the signature must hold them.
QByteArray withBlobs(QByteArray thin, const QList<Blob> &blobs);

// A thin arm64 file whose code is codeSize bytes (header, its load commands:
// LC_CODE_SIGNATURE then extraCommands, then a pattern), with 4 KiB reserved
// for a signature at codeSize. commandTable, when given, is sizeofcmds.
QByteArray thinImage(quint32 codeSize, const QByteArray &extraCommands = {}, quint32 extraCount = 0,
                     std::optional<quint32> commandTable = {});
// Signs a thin file where its first LC_CODE_SIGNATURE points: the given
// CodeDirectories (the first in slot 0, the rest as alternates), an empty
// CMS wrapper (ad hoc) and any further blobs.
void sign(QByteArray &thin, const QList<Directory> &directories, const QList<Blob> &more = {});
// A universal file holding the slices at the offsets given, in that order.
QByteArray universal(const QList<std::pair<QByteArray, quint32>> &slices);
// An image of data, signed ad hoc after it, ending in a 512-byte "koly"
// trailer whose rep-specific slot is bound with the signature length zeroed;
// more blobs (a stapled ticket) follow the CMS blob.
QByteArray diskImage(const QByteArray &data, Directory directory, const QList<Blob> &more = {});

// A thin Mach-O as a linker lays it out: __TEXT holding the header, its load
// commands and the payload, padded to whole pages; when signed, __LINKEDIT
// holding the signature right after.
struct MachO {
    QByteArray payload;
    QString identifier;   // signed ad hoc under it; empty: unsigned
    quint32 fileType = 6; // 2 executable, 6 dylib
    QString architecture = QStringLiteral("arm64"); // or x86_64
    QList<QByteArray> commands; // further load commands
    QByteArray infoPlist;    // bound in special slot 1 when not empty
    QByteArray resourceSeal; // bound in special slot 3 when not empty
};
QByteArray machO(const MachO &file);
// LC_BUILD_VERSION for macOS: the minimum system and the SDK, "major.minor[.patch]".
QByteArray buildVersionCommand(const QString &minimumOs, const QString &sdk);
QByteArray loadDylibCommand(const QString &path);
QByteArray runPathCommand(const QString &path);
// The code hash (20 bytes) of a file machO() signed; empty for any other.
QByteArray cdHashOf(const QByteArray &machO);

// Writes machO({payload, identifier}) and returns its code hash (empty when unsigned).
QByteArray writeMachO(const QString &path, const QByteArray &payload, const QString &identifier);

enum class Layout {
    contents,  // X.app/Contents/{Info.plist, MacOS/X, Resources/, _CodeSignature/}
    framework, // X.framework/Versions/A/{X, Resources/Info.plist, _CodeSignature/}, links beside
};

struct Bundle {
    QString path; // the bundle folder
    Layout layout = Layout::contents;
    QString name; // its CFBundleExecutable

    QString contentRoot() const; // where the seal's paths start
    QString executable() const;
    QString infoPlist() const;
};

// Lays out a bundle: an Info.plist naming the executable, Resources/r.txt,
// and for a framework its Versions/Current link and top-level links. The
// executable is written when the bundle is signed.
Bundle makeBundle(const QString &path, Layout layout, const QString &name);
// The layout of an existing bundle folder (Contents/ or Versions/Current).
Bundle existingBundle(const QString &path, const QString &name);

struct SignOptions {
    bool bindInfoPlist = true;     // special slot 1
    bool secondVersionSeal = true; // false: only files/rules, as seals made before 10.9
    bool deep = true;              // false: nested code is sealed as it is signed now
    QStringList alsoNested;        // paths below the content root sealed as nested code
                                   // besides those the platform's rules name
};

// Signs the bundle and, first (when deep), the nested code its seal names: the main
// executable is rewritten as a signed Mach-O holding its former bytes.
// Returns the bundle's code hash.
QByteArray signBundle(const Bundle &bundle, const SignOptions &options = {});

// Certificates for the chain policy: a key and a certificate it signs, or an issuer signs.
struct Issued {
    std::shared_ptr<EVP_PKEY> key;
    std::shared_ptr<X509> certificate;
};
// extensions: "name=value" (name or dotted OID, value in OpenSSL's configuration syntax),
// e.g. "extendedKeyUsage=critical,codeSigning", "1.2.840.113635.100.6.1.13=critical,DER:05:00".
Issued issue(const char *commonName, const Issued *issuer, const QStringList &extensions);
// The signature's blobs with its CMS signature made again, over its first
// CodeDirectory, by a self-made "Developer ID" certificate, without Apple's
// CDHashes attribute.
QList<Blob> foreignSigned(const QByteArray &thin);

} // namespace signer
