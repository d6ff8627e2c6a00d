#include "engine/entitlements.h"

#include "engine/property_list.h"

#include <QVariantMap>

namespace {

bool isEnabled(const QVariant &value)
{
    return value.typeId() == QMetaType::Bool && value.toBool();
}

std::optional<QVariantMap> rootDictionary(const QString &entitlements)
{
    if (entitlements.isEmpty())
        return std::nullopt;
    const std::optional<QVariant> root = parsePropertyList(entitlements.toUtf8());
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return root->toMap();
}

// Older codesign versions print "Executable=<path>" on standard output, and an
// app without entitlements gets nothing else.
bool reportsAnything(const QByteArray &output)
{
    qsizetype start = 0;
    while (start < output.size()) {
        qsizetype end = output.indexOf('\n', start);
        if (end < 0)
            end = output.size();
        const QByteArray line = output.mid(start, end - start).trimmed();
        if (!line.isEmpty() && !line.startsWith("Executable="))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

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
    const std::optional<QVariantMap> dictionary = rootDictionary(entitlements);
    return dictionary && isEnabled(dictionary->value(key));
}

SignedEntitlements readSignedEntitlements(const Shell::DataResult &call)
{
    SignedEntitlements read;
    if (call.exitCode == 0 && !reportsAnything(call.stdoutData))
        return read;
    read.reading = SignedEntitlements::Reading::unreadable;
    // Text that is not UTF-8 decodes to nothing; a NUL would hide the rest of
    // the text from anyone reading it.
    read.text = extractEntitlementsPlist(Shell::decoded(call).stdout);
    if (call.exitCode != 0 || call.stdoutData.contains('\0'))
        return read;
    const std::optional<QVariantMap> dictionary = rootDictionary(read.text);
    if (!dictionary)
        return read;
    read.reading = SignedEntitlements::Reading::readable;
    for (const QString &key : riskyEntitlementKeys()) {
        if (isEnabled(dictionary->value(key)))
            read.enabledRiskyKeys << key;
    }
    return read;
}
