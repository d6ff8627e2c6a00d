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

enum class CheckStatus { pass, warning, fail, pending };

// Only the exact lower-case raw values ("pass", "warning", "fail", "pending") make a status.
std::optional<CheckStatus> checkStatusFromRawValue(const QString &rawValue);
QString rawValue(CheckStatus status);
// The four-letter label the report and the results screen print: "PASS", "WARN", "FAIL", "NEXT".
QString label(CheckStatus status);

enum class PackageKind { application, diskImage };

// "macOS Application" or "Disk Image".
QString displayWords(PackageKind kind);

enum class LiveStageStatus { pending, active, pass, warning, fail };

bool isFinal(LiveStageStatus status);

struct InspectionCheck {
    QUuid id;
    QString title;
    QString detail;
    CheckStatus status;
};

// A check with a fresh random id.
InspectionCheck makeCheck(const QString &title, CheckStatus status, const QString &detail);

struct LiveInspectionStage {
    QUuid id;
    QString title;
    LiveStageStatus status;
};

struct EmbeddedAppResult {
    QString displayName;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> shortVersion;
    std::optional<QString> buildVersion;
    QList<InspectionCheck> checks;
    QString entitlements;
};

struct InspectionResult {
    struct AppInspection {
        QString displayName;
        std::optional<QString> bundleIdentifier;
        std::optional<QString> shortVersion;
        std::optional<QString> buildVersion;
        std::optional<QString> minimumSystemVersion;
        std::optional<QString> executableName;
        QList<InspectionCheck> checks;
        QString entitlements;
    };

    struct MountResult {
        std::optional<QUrl> mountPoint;
        QString message;
    };

    QUrl url;
    PackageKind kind = PackageKind::application;
    QString displayName;
    std::int64_t byteSize = 0;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> shortVersion;
    std::optional<QString> buildVersion;
    std::optional<QString> minimumSystemVersion;
    std::optional<QString> executableName;
    QList<InspectionCheck> checks;
    QString entitlements;
    std::optional<EmbeddedAppResult> embeddedApp;
};

// The last path component of a file location (a trailing slash does not count).
QString lastPathComponent(const QUrl &location);
// The text after the last dot of the last path component, as written; empty when there is none.
QString pathExtension(const QUrl &location);
// The last path component without its extension (Example.app gives Example).
QString displayNameOf(const QUrl &location);
