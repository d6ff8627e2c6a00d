#include "engine/entitlements.h"

#include "proplist/property_list.h"
#include "contract/release_tool_contract.h"

#include <QVariantMap>

namespace {

bool isEnabled(const QVariant &value)
{
    return value.typeId() == QMetaType::Bool && value.toBool();
}

// Warnings such as the deprecation notice for ":-" may precede the XML; the
// markers are tried in this order, not by position.
const char *const kMarkers[] = {"<?xml", "<!DOCTYPE plist", "<plist"};

// Only the keys asked for are kept of the dictionary.
std::optional<QVariantMap> rootDictionary(const QByteArray &entitlements, const QStringList &keys)
{
    if (entitlements.isEmpty())
        return std::nullopt;
    const std::optional<QVariant> root = parsePropertyListKeepingKeys(entitlements, keys);
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

// The bytes of standard output that the text was cut from, read in place
// rather than encoded anew: the output may run to many megabytes.
QByteArray plistBytes(const QByteArray &output)
{
    for (const char *marker : kMarkers) {
        const qsizetype start = output.indexOf(marker);
        if (start >= 0)
            return QByteArray::fromRawData(output.constData() + start, output.size() - start);
    }
    return output;
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

// The text is cut in place: an output of many megabytes is not copied.
QString extractEntitlementsPlist(QString output)
{
    QString trimmed = std::move(output).trimmed();
    // An unsigned or entitlement-free app makes codesign print only the bare
    // "Executable=" header (on some versions to standard output).
    if (trimmed.isEmpty() || trimmed == QLatin1String("Executable="))
        return {};
    for (const char *marker : kMarkers) {
        const qsizetype start = trimmed.indexOf(QLatin1String(marker));
        if (start >= 0)
            return trimmed.remove(0, start);
    }
    return trimmed;
}

// The tool's one line for code without any signature, "<path>: code object
// is not signed at all": such code has no entitlements to report. More lines
// than one (a name holding a line break among them) are not taken for it.
bool saysNotSigned(const Program::DataResult &call)
{
    const QByteArray error = call.standardError.trimmed();
    return call.outcome.exitedWith(1) && !error.contains('\n') && !error.contains('\r')
        && error.endsWith(": " + QByteArray(kNotSignedAtAll));
}

SignedEntitlements readSignedEntitlements(const Program::DataResult &call)
{
    SignedEntitlements read;
    if ((call.outcome.succeeded() || saysNotSigned(call)) && !reportsAnything(call.standardOutput))
        return read;
    read.reading = SignedEntitlements::Reading::unreadable;
    // Text that is not UTF-8 decodes to nothing; a NUL would hide the rest of
    // the text from anyone reading it.
    read.text = extractEntitlementsPlist(Program::decoded(call).standardOutput);
    if (!call.outcome.succeeded() || read.text.isEmpty() || call.standardOutput.contains('\0'))
        return read;
    const std::optional<QVariantMap> dictionary = rootDictionary(plistBytes(call.standardOutput), riskyEntitlementKeys());
    if (!dictionary)
        return read;
    read.reading = SignedEntitlements::Reading::readable;
    for (const QString &key : riskyEntitlementKeys()) {
        if (isEnabled(dictionary->value(key)))
            read.enabledRiskyKeys << key;
    }
    return read;
}
