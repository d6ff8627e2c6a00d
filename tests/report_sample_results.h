#pragma once
// Inspection results in every shape the report prints, shared by the report
// tests, with the texts the inspectors would produce for realistic packages.

#include "engine/inspection_records.h"

#include <QDateTime>

namespace samples {

inline QDateTime moment(QDate date, QTime time, int offsetSeconds)
{
    return QDateTime(date, time, Qt::OffsetFromUTC, offsetSeconds);
}

inline InspectionCheck check(CheckStatus status, const char *title, const char *detail)
{
    return makeCheck(QString::fromUtf8(title), status, QString::fromUtf8(detail));
}

inline InspectionResult result(PackageKind kind, const char *path, const char *name, std::int64_t byteSize)
{
    InspectionResult made;
    made.url = QUrl::fromLocalFile(QString::fromUtf8(path));
    made.kind = kind;
    made.displayName = QString::fromUtf8(name);
    made.byteSize = byteSize;
    return made;
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

// Every metadata field present, entitlements spanning several lines; the
// dropped folder's location ends in a slash.
inline InspectionResult fullApplication()
{
    InspectionResult made = result(PackageKind::application, "/Users/dana/Builds/Harbor Lights.app/",
                                   "Harbor Lights", 48'213'504);
    made.bundleIdentifier = QStringLiteral("com.example.harborlights");
    made.shortVersion = QStringLiteral("2.4.1");
    made.buildVersion = QStringLiteral("241");
    made.minimumSystemVersion = QStringLiteral("13.0");
    made.executableName = QStringLiteral("Harbor Lights");
    made.checks = appChecks(CheckStatus::pass);
    made.entitlements = entitlements;
    return made;
}

// An unsigned bundle with an empty Info.plist: every optional field absent.
inline InspectionResult bareApplication()
{
    InspectionResult made = result(PackageKind::application, "/tmp/Bare.app", "Bare", 0);
    made.checks = {check(CheckStatus::fail, "Code signature", "The application failed codesign verification."),
                   check(CheckStatus::warning, "Developer ID",
                         "Veristamp could not find a Developer ID Application signing authority."),
                   check(CheckStatus::pass, "Release entitlements", "No signed entitlements were reported.")};
    return made;
}

// A mounted image whose volume held no application; the extension is upper case.
inline InspectionResult diskImageWithoutApp()
{
    InspectionResult made = result(PackageKind::diskImage, "/Users/dana/Release/Harbor-2.4.1.DMG", "Harbor-2.4.1",
                                   1'234'567'890);
    made.checks = {check(CheckStatus::pass, "Disk image integrity", "The DMG passed hdiutil verification."),
                   check(CheckStatus::warning, "DMG signature",
                         "Veristamp did not find a Developer ID Application signature on the DMG."),
                   check(CheckStatus::fail, "Packaged application",
                         "No .app bundle was found at the top level of the mounted DMG.")};
    return made;
}

// An image whose own checks pass; its application carries the only failure.
inline InspectionResult diskImageWithApp(const QString &appEntitlements)
{
    InspectionResult made = result(PackageKind::diskImage, "/Users/dana/Release/Harbor-2.4.1.dmg", "Harbor-2.4.1",
                                   52'480'000);
    made.checks = {check(CheckStatus::pass, "Disk image integrity", "The DMG passed hdiutil verification."),
                   check(CheckStatus::pass, "Packaged application", "Harbor Lights.app was found inside the DMG.")};
    made.embeddedApp = EmbeddedAppResult{QStringLiteral("Harbor Lights"), QStringLiteral("com.example.harborlights"),
                                         QStringLiteral("2.4.1"), std::nullopt, appChecks(CheckStatus::fail),
                                         appEntitlements};
    return made;
}

} // namespace samples
