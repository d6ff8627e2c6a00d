#pragma once
// The plain value records every part of Veristamp exchanges: checks, package
// kinds, inspection results, live stages and raw tool outcomes. Copying a
// record copies its content; nothing is shared between copies.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <cstdint>
#include <optional>
#include <variant>

enum class CheckStatus { pass, warning, fail, pending };

// The four-letter label the report and the results screen print: "PASS", "WARN", "FAIL", "NEXT".
QString label(CheckStatus status);

enum class PackageKind { application, diskImage };

// "macOS Application" or "Disk Image".
QString displayWords(PackageKind kind);
// The kind as machine-readable output names it, fixed whatever the screen calls it.
QString kindId(PackageKind kind);

// hostLimit: a warning only because this host's tools cannot decide the
// stage (only a Mac can); it counts and prints as a warning.
enum class LiveStageStatus { pending, active, pass, warning, fail, hostLimit };

bool isFinal(LiveStageStatus status);
// A finished stage's label, its check's ("PASS", "WARN", "FAIL"); empty for one not finished.
QString label(LiveStageStatus status);
// The live stage that shows a finished check: pass, warning or fail (a
// pending check, which no inspector makes, reads as fail).
LiveStageStatus liveStageStatus(CheckStatus status);

struct InspectionCheck {
    QString id; // fixed for each check whatever its title: see check_catalog.h
    QString title;
    QString detail;
    CheckStatus status;
    // False when the host's tools could not decide it (only a Mac can).
    bool decidedOnHost = true;
};

// A warning that only says this host could not decide.
bool isHostLimit(const InspectionCheck &check);
// The live stage that shows a finished check, a host limit marked as such.
LiveStageStatus liveStageStatus(const InspectionCheck &check);

struct LiveInspectionStage {
    QUuid id;
    QString title;
    LiveStageStatus status;
};

// What the app bundle inspection finds in one bundle, whether it was dropped
// directly or found inside a disk image: the one record of an app's facts.
struct AppInspection {
    QString displayName;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> shortVersion;
    std::optional<QString> buildVersion;
    std::optional<QString> minimumSystemVersion;
    std::optional<QString> executableName;
    QList<InspectionCheck> checks;
    QString entitlements;
    // The leaf "Authority=" of the signature display, as the tools name the
    // signer; nothing for an ad-hoc signature or a display without one.
    std::optional<QString> signingAuthority = std::nullopt;
};

// A disk image's own findings: its name, its checks and the app inspected on
// its volume, when one was. It has no metadata or entitlements of its own.
struct DiskImageInspection {
    QString displayName;
    QList<InspectionCheck> checks;
    // The report and the results screen show neither its minimum system
    // version nor its executable name.
    std::optional<AppInspection> embeddedApp;
};

// The result of inspecting one dropped package. Its kind follows from what it
// holds, so an application with a packaged app, or a disk image with
// metadata, cannot be made.
struct InspectionResult {
    QUrl url;
    std::int64_t byteSize = 0;
    std::variant<AppInspection, DiskImageInspection> package;

    PackageKind kind() const;
    const QString &displayName() const;
    // The package's own checks: the app's, or the image's without its app's.
    const QList<InspectionCheck> &checks() const;
    // The dropped application; nothing for a disk image.
    const AppInspection *application() const;
    // The application inspected inside a disk image; nothing otherwise.
    const AppInspection *embeddedApp() const;
};

// The last path component of a file location; the intake has already
// removed any trailing slash.
QString lastPathComponent(const QUrl &location);
// The text after the last dot of the last path component, as written; empty when there is none.
QString pathExtension(const QUrl &location);
// The last path component without its extension (Example.app gives Example).
QString displayNameOf(const QUrl &location);
