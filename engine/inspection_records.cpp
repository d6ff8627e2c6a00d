#include "engine/inspection_records.h"

QString label(CheckStatus status)
{
    switch (status) {
    case CheckStatus::pass: return QStringLiteral("PASS");
    case CheckStatus::warning: return QStringLiteral("WARN");
    case CheckStatus::fail: return QStringLiteral("FAIL");
    case CheckStatus::pending: return QStringLiteral("NEXT");
    }
    return {};
}

QString displayWords(PackageKind kind)
{
    return kind == PackageKind::diskImage ? QStringLiteral("Disk Image") : QStringLiteral("macOS Application");
}

QString kindId(PackageKind kind)
{
    return kind == PackageKind::diskImage ? QStringLiteral("Disk Image") : QStringLiteral("macOS Application");
}

bool isFinal(LiveStageStatus status)
{
    return status != LiveStageStatus::pending && status != LiveStageStatus::active;
}

QString label(LiveStageStatus status)
{
    switch (status) {
    case LiveStageStatus::pass: return label(CheckStatus::pass);
    case LiveStageStatus::warning:
    case LiveStageStatus::hostLimit: return label(CheckStatus::warning);
    case LiveStageStatus::fail: return label(CheckStatus::fail);
    case LiveStageStatus::pending:
    case LiveStageStatus::active: break;
    }
    return {};
}

LiveStageStatus liveStageStatus(CheckStatus status)
{
    switch (status) {
    case CheckStatus::pass: return LiveStageStatus::pass;
    case CheckStatus::warning: return LiveStageStatus::warning;
    case CheckStatus::fail:
    case CheckStatus::pending: break;
    }
    return LiveStageStatus::fail;
}

PackageKind InspectionResult::kind() const
{
    return std::holds_alternative<DiskImageInspection>(package) ? PackageKind::diskImage : PackageKind::application;
}

const QString &InspectionResult::displayName() const
{
    return std::visit([](const auto &inspection) -> const QString & { return inspection.displayName; }, package);
}

const QList<InspectionCheck> &InspectionResult::checks() const
{
    return std::visit([](const auto &inspection) -> const QList<InspectionCheck> & { return inspection.checks; },
                      package);
}

const AppInspection *InspectionResult::application() const
{
    return std::get_if<AppInspection>(&package);
}

const AppInspection *InspectionResult::embeddedApp() const
{
    const auto *image = std::get_if<DiskImageInspection>(&package);
    return image && image->embeddedApp ? &*image->embeddedApp : nullptr;
}

QString lastPathComponent(const QUrl &location)
{
    return location.toLocalFile().section(QLatin1Char('/'), -1);
}

QString pathExtension(const QUrl &location)
{
    const QString name = lastPathComponent(location);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}

QString displayNameOf(const QUrl &location)
{
    const QString name = lastPathComponent(location);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

bool isHostLimit(const InspectionCheck &check)
{
    return check.status == CheckStatus::warning && !check.decidedOnHost;
}

LiveStageStatus liveStageStatus(const InspectionCheck &check)
{
    return isHostLimit(check) ? LiveStageStatus::hostLimit : liveStageStatus(check.status);
}
