#pragma once
// A small ad-hoc code signer for test fixtures, written from the published
// formats (Mach-O, the embedded signature SuperBlob, CodeDirectory v0x20400,
// the CodeResources property list), independent of the reader under test.
// It builds minimal thin arm64 Mach-O files and signs bundles inside out, as
// `codesign --deep -s -` would: apps, plug-ins, XPC services and helpers
// (Contents/ layout) and versioned frameworks (Versions/A, Versions/Current).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace adhoc {

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
    bool bindInfoPlist = true;          // special slot 1
    bool secondVersionSeal = true;      // false: only files/rules, as seals made before 10.9
    bool deep = true;                   // false: nested code is sealed as it is signed now
    QStringList alsoNested;             // paths below the content root sealed as nested code
                                        // besides those the platform's rules name
};

// Writes a thin arm64 Mach-O holding payload, signed ad hoc under identifier
// (unsigned when identifier is empty), and returns its code hash (20 bytes).
QByteArray writeMachO(const QString &path, const QByteArray &payload, const QString &identifier);

// Signs the bundle and, first (when deep), the nested code its seal names: the main
// executable is rewritten as a signed Mach-O holding its former bytes.
// Returns the bundle's code hash (20 bytes).
QByteArray signBundle(const Bundle &bundle, const SignOptions &options = {});

} // namespace adhoc
