#pragma once
// Inspection results in every shape the report prints, with realistic inspector texts.

#include "engine/inspection_records.h"

#include <QDateTime>

namespace samples {

inline QDateTime moment(QDate date, QTime time, int offsetSeconds)
{
    return QDateTime(date, time, Qt::OffsetFromUTC, offsetSeconds);
}

inline InspectionCheck check(CheckStatus status, const QString &title, const QString &detail)
{
    return makeCheck(title, status, detail);
}

// An app with no metadata at all.
inline AppInspection bareApp(const QString &name, const QList<InspectionCheck> &checks, const QString &entitlements = {})
{
    return {name, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, checks, entitlements};
}

inline InspectionResult result(PackageKind kind, const QString &path, const QString &name, std::int64_t byteSize,
                               const QList<InspectionCheck> &checks = {})
{
    if (kind == PackageKind::diskImage)
        return {QUrl::fromLocalFile(path), byteSize, DiskImageInspection{name, checks, {}}};
    return {QUrl::fromLocalFile(path), byteSize, bareApp(name, checks)};
}

inline const QString entitlements = QStringLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
    "\t<key>com.apple.security.get-task-allow</key>\n\t<true/>\n</dict>\n</plist>");

inline QList<InspectionCheck> appChecks(CheckStatus gatekeeper)
{
    return {check(CheckStatus::pass, "Code signature", "The application passed codesign verification."),
            check(CheckStatus::warning, "Release entitlements",
                  "Review before shipping: com.apple.security.get-task-allow."),
            check(gatekeeper, "Gatekeeper assessment",
                  gatekeeper == CheckStatus::pass ? "Harbor Lights.app: accepted source=Notarized Developer ID"
                                                  : "Harbor Lights.app: rejected source=Unnotarized Developer ID")};
}

// Every metadata field present.
inline InspectionResult fullApplication()
{
    return {QUrl::fromLocalFile("/Users/dana/Builds/Harbor Lights.app"), 48'213'504,
            AppInspection{"Harbor Lights", "com.example.harborlights", "2.4.1", "241", "13.0", "Harbor Lights",
                          appChecks(CheckStatus::pass), entitlements}};
}

// An unsigned bundle with an empty Info.plist: every optional field absent.
inline InspectionResult bareApplication()
{
    return result(PackageKind::application, "/tmp/Bare.app", "Bare", 0,
                  {check(CheckStatus::fail, "Code signature", "The application failed codesign verification."),
                   check(CheckStatus::warning, "Developer ID",
                         "Veristamp could not find a Developer ID Application signing authority."),
                   check(CheckStatus::pass, "Release entitlements", "No signed entitlements were reported.")});
}

// No application on the volume; the extension is upper case.
inline InspectionResult diskImageWithoutApp()
{
    return result(PackageKind::diskImage, "/Users/dana/Release/Harbor-2.4.1.DMG", "Harbor-2.4.1", 1'234'567'890,
                  {check(CheckStatus::pass, "Disk image integrity", "The DMG passed hdiutil verification."),
                   check(CheckStatus::warning, "DMG signature",
                         "Veristamp did not find a Developer ID Application signature on the DMG."),
                   check(CheckStatus::fail, "Packaged application",
                         "No .app bundle was found at the top level of the mounted DMG.")});
}

// The image's own checks pass; its application carries the only failure.
inline InspectionResult diskImageWithApp(const QString &appEntitlements)
{
    InspectionResult made = result(
        PackageKind::diskImage, "/Users/dana/Release/Harbor-2.4.1.dmg", "Harbor-2.4.1", 52'480'000,
        {check(CheckStatus::pass, "Disk image integrity", "The DMG passed hdiutil verification."),
         check(CheckStatus::pass, "Packaged application", "Harbor Lights.app was found inside the DMG.")});
    std::get<DiskImageInspection>(made.package).embeddedApp =
        EmbeddedAppResult{"Harbor Lights", "com.example.harborlights", "2.4.1", std::nullopt, std::nullopt,
                          std::nullopt, appChecks(CheckStatus::fail), appEntitlements};
    return made;
}

} // namespace samples
