#include "engine/entitlements.h"

#include "engine/property_list.h"

#include <QVariantMap>

const QStringList &riskyEntitlementKeys()
{
    static const QStringList keys{
        QStringLiteral("com.apple.security.get-task-allow"),
        QStringLiteral("com.apple.security.cs.disable-library-validation"),
        QStringLiteral("com.apple.security.cs.allow-unsigned-executable-memory"),
        QStringLiteral("com.apple.security.cs.allow-dyld-environment-variables"),
    };
    return keys;
}

QString extractEntitlementsPlist(const QString &output)
{
    const QString trimmed = output.trimmed();
    // An unsigned or entitlement-free app makes codesign print only the bare
    // "Executable=" header (on some versions to standard output).
    if (trimmed.isEmpty() || trimmed == QLatin1String("Executable="))
        return {};
    // Warnings such as the deprecation notice for ":-" may precede the XML;
    // the markers are tried in this order, not by position.
    for (const char *marker : {"<?xml", "<!DOCTYPE plist", "<plist"}) {
        const qsizetype start = trimmed.indexOf(QLatin1String(marker));
        if (start >= 0)
            return trimmed.mid(start);
    }
    return trimmed;
}

bool isEntitlementEnabled(const QString &key, const QString &entitlements)
{
    if (entitlements.isEmpty())
        return false;
    const std::optional<QVariant> root = parsePropertyList(entitlements.toUtf8());
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return false;
    const QVariant value = root->toMap().value(key);
    return value.typeId() == QMetaType::Bool && value.toBool();
}
