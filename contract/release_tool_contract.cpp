#include "contract/release_tool_contract.h"

#include <QByteArray>
#include <QtGlobal>

CallVector callVector(CallId id)
{
    switch (id) {
    case CallId::C1: return {QStringLiteral("/usr/bin/codesign"), {"--verify", "--deep", "--strict", "--verbose=2"}};
    case CallId::C2: return {QStringLiteral("/usr/bin/codesign"), {"-dv", "--verbose=4"}};
    case CallId::C3: return {QStringLiteral("/usr/bin/codesign"), {"-d", "--entitlements", ":-"}};
    case CallId::S1: return {QStringLiteral("/usr/sbin/spctl"), {"--assess", "--type", "execute", "--verbose=4"}};
    case CallId::S2:
        return {QStringLiteral("/usr/sbin/spctl"),
                {"--assess", "--type", "open", "--context", "context:primary-signature", "--verbose=4"}};
    case CallId::X1: return {QStringLiteral("/usr/bin/xcrun"), {"stapler", "validate"}};
    case CallId::H1: return {QStringLiteral("/usr/bin/hdiutil"), {"verify"}};
    case CallId::H2: return {QStringLiteral("/usr/bin/hdiutil"), {"attach", "-readonly", "-nobrowse", "-plist"}};
    case CallId::H3: return {QStringLiteral("/usr/bin/hdiutil"), {"detach"}};
    }
    return {};
}

QString callName(CallId id)
{
    switch (id) {
    case CallId::C1: return QStringLiteral("C1");
    case CallId::C2: return QStringLiteral("C2");
    case CallId::C3: return QStringLiteral("C3");
    case CallId::S1: return QStringLiteral("S1");
    case CallId::S2: return QStringLiteral("S2");
    case CallId::X1: return QStringLiteral("X1");
    case CallId::H1: return QStringLiteral("H1");
    case CallId::H2: return QStringLiteral("H2");
    case CallId::H3: return QStringLiteral("H3");
    }
    return {};
}

bool recordedAnswersRequested()
{
    return qgetenv(kReplayRecordsVariable) == "1";
}

bool namesDeveloperIdApplication(QStringView commonName)
{
    return commonName.startsWith(QLatin1String("Developer ID Application:"));
}
