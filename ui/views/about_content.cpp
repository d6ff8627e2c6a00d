#include "ui/views/about_content.h"

#include "ui/views/app_version.h"

namespace {

QVariant checkArea(const QString &symbol, const QString &title, const QString &subtitle)
{
    return QVariant::fromValue(CheckArea{symbol, title, subtitle});
}

} // namespace

QString AboutContent::version() const
{
    return applicationVersion();
}

QString AboutContent::build() const
{
    return applicationBuild();
}

QVariantList AboutContent::checkAreas() const
{
    return {
        checkArea(QStringLiteral("signature"), QStringLiteral("Signing"), QStringLiteral("Code signature + Developer ID")),
        checkArea(QStringLiteral("lock.shield.fill"), QStringLiteral("Runtime"), QStringLiteral("Hardened Runtime + entitlements")),
        checkArea(QStringLiteral("seal.fill"), QStringLiteral("Notarization"), QStringLiteral("Ticket validation + stapling")),
        checkArea(QStringLiteral("checkmark.shield.fill"), QStringLiteral("Gatekeeper"), QStringLiteral("macOS acceptance assessment")),
        checkArea(QStringLiteral("externaldrive.fill"), QStringLiteral("Disk Image"), QStringLiteral("DMG integrity + packaged app")),
        checkArea(QStringLiteral("doc.text.fill"), QStringLiteral("Evidence"), QStringLiteral("Timestamped release report")),
    };
}

QString AboutContent::supportAddress() const
{
    return QStringLiteral("support@veristamp.dev");
}
