#pragma once
// Where a bundle keeps its parts, as the platform lays bundles out: an app,
// plug-in, app extension, XPC service, helper or login item under Contents/;
// a versioned framework under Versions/<current>/, its Info.plist in
// Resources/ and links beside Versions; a shallow bundle with everything at
// its top. No link is followed except a framework's Versions/Current, which
// must name a version folder beside it.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace codesig {

struct BundleLayout {
    enum class Kind { contents, framework, shallow };
    Kind kind = Kind::contents;
    QString bundlePath;       // the bundle folder, cleaned
    QString contentRoot;      // where the seal's paths start
    QString executablePath;
    QString executableInRoot; // below contentRoot: "MacOS/<name>" or "<name>"
    QString infoPlistInRoot;  // below contentRoot: "Info.plist" or "Resources/Info.plist"
    QString sealPath;         // contentRoot/_CodeSignature/CodeResources
};

struct BundleLayoutReading {
    std::optional<BundleLayout> layout;
    QByteArray infoPlist; // its bytes, for the signature's Info.plist slot
    QString failure;      // why the folder is not a bundle of code, when it is not
};

BundleLayoutReading readBundleLayout(const QString &bundlePath);

// What lies outside the content root where the seal cannot see it: anything
// beside Contents; in a framework anything but Versions and links to
// Versions/Current/<name>, and in Versions anything but Current and the
// version it names. Absolute paths, sorted; failure says why when the bundle
// cannot be listed.
QStringList unsealedOutsideContent(const BundleLayout &layout, QString &failure);

} // namespace codesig
