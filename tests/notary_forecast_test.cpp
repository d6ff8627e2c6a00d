// The notary forecast over real packages made on Macs (the Developer ID app,
// the unsigned Sparkle app in its image) and changed copies of them, over
// ad-hoc signed bundles, and over small Mach-O files built here with the load
// commands a rule reads. The forecast in the JSON and JUnit documents: evidence_test.
#include "test_files.h"
#include "test_signer.h"

#include "codesig/binary_facts.h"
#include "codesig/notary_forecast.h"

#include <QTemporaryDir>
#include <QTest>

using namespace codesig;

namespace {

const QString kDev = QStringLiteral("DevSignedApp.app/Contents/MacOS/SignedApp");
const QString kNoRuntime = QStringLiteral("The executable does not have the hardened runtime enabled.");
const QString kNotSigned = QStringLiteral("The binary is not signed.");
const QString kInvalid = QStringLiteral("The signature of the binary is invalid.");
const QString kNotDeveloperId = QStringLiteral("The binary is not signed with a valid Developer ID certificate.");
const QString kNoTimestamp = QStringLiteral("The signature does not include a secure timestamp.");

// An unsigned thin Mach-O: "x86_64" or "arm64", an executable (2) or dylib (6),
// built for macOS versions given as text, libraries and run paths named.
QByteArray machO(const QString &architecture, quint32 fileType, const QString &minimumOs, const QString &sdk,
                 const QStringList &libraries = {}, const QStringList &rpaths = {})
{
    signer::MachO file;
    file.payload = QByteArray(64, '\x90');
    file.fileType = fileType;
    file.architecture = architecture;
    file.commands << signer::buildVersionCommand(minimumOs, sdk);
    for (const QString &library : libraries)
        file.commands << signer::loadDylibCommand(library);
    for (const QString &rpath : rpaths)
        file.commands << signer::runPathCommand(rpath);
    return signer::machO(file);
}

// An unsigned app A.app whose executable is built from the recipe's
// key=value words: minos, sdk, lib (comma-separated), rpath, declared
// (LSMinimumSystemVersion), and files laid below the app (has=<path>).
QString builtApp(const QString &root, const QStringList &words)
{
    QMap<QString, QString> option;
    for (const QString &word : words)
        option.insert(word.section(u'=', 0, 0), word.section(u'=', 1));
    const QString app = root + QStringLiteral("/A.app");
    const QString declared = option.value(QStringLiteral("declared"));
    writeAll(app + QStringLiteral("/Contents/Info.plist"),
             QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                            "<key>CFBundleExecutable</key><string>A</string>%1</dict></plist>")
                 .arg(declared.isEmpty() ? QString() : QStringLiteral("<key>LSMinimumSystemVersion</key><string>%1</string>").arg(declared))
                 .toUtf8());
    writeAll(app + QStringLiteral("/Contents/MacOS/A"),
             machO(QStringLiteral("arm64"), 2, option.value(QStringLiteral("minos")), option.value(QStringLiteral("sdk")),
                   option.value(QStringLiteral("lib")).split(u',', Qt::SkipEmptyParts),
                   option.value(QStringLiteral("rpath")).split(u',', Qt::SkipEmptyParts)));
    if (option.contains(QStringLiteral("has")))
        writeAll(app + u'/' + option.value(QStringLiteral("has")), machO(QStringLiteral("arm64"), 6, "11.0", "14.0"));
    return app;
}

// An ad-hoc signed app with a versioned framework and a dylib, signed inside out.
QString adhocApp(const QString &root)
{
    const QString app = root + QStringLiteral("/A.app");
    const signer::Bundle top = signer::makeBundle(app, signer::Layout::contents, QStringLiteral("A"));
    signer::makeBundle(app + QStringLiteral("/Contents/Frameworks/F.framework"), signer::Layout::framework, QStringLiteral("F"));
    signer::writeMachO(app + QStringLiteral("/Contents/Frameworks/libD.dylib"), "library", QStringLiteral("test.D"));
    signer::signBundle(top);
    return app;
}

struct Package {
    QString root;
    QString name;
};

// The recipe's first word is the package; "resign", "helper" and "zip" change it after signing.
Package preparedPackage(const QString &folder, const QStringList &words)
{
    Package package;
    if (words[0] == u"dev") {
        package = {unpackSignedApp(folder), QStringLiteral("DevSignedApp.app")};
    } else if (words[0] == u"sparkle") {
        package = {unpackSparkleImage(folder), QStringLiteral("SparkleTestCodeSignApp.dmg")};
    } else if (words[0] == u"adhoc") {
        package = {adhocApp(folder), QStringLiteral("A.app")};
    } else {
        package = {builtApp(folder, words), QStringLiteral("A.app")};
    }
    if (package.root.isEmpty())
        return {};
    if (words.contains(QStringLiteral("resign"))) {
        const signer::Bundle framework =
            signer::existingBundle(package.root + QStringLiteral("/Contents/Frameworks/F.framework"), QStringLiteral("F"));
        writeAll(framework.contentRoot() + QStringLiteral("/Resources/r2.txt"), "new");
        signer::signBundle(framework);
    }
    if (words.contains(QStringLiteral("helper")))
        writeAll(package.root + QStringLiteral("/Contents/Helpers/H"), machO(QStringLiteral("arm64"), 2, "11.0", "14.0"));
    if (words.contains(QStringLiteral("zip"))) {
        writeAll(folder + QStringLiteral("/zipped/Tor/tor.real"), machO(QStringLiteral("x86_64"), 2, "11.0", "14.0"));
        writeAll(folder + QStringLiteral("/zipped/Tor/README"), "not code");
        if (!runIn(folder + QStringLiteral("/zipped"), QStringLiteral(VERISTAMP_CMAKE),
                   {"-E", "tar", "cf", package.root + "/Contents/Resources/tor.zip", "--format=zip", "Tor"}))
            return {};
    }
    return package;
}

QString rendered(const ForecastIssue &issue)
{
    return QStringLiteral("%1 %2 %3: %4")
        .arg(issue.severity, issue.architecture.isEmpty() ? QStringLiteral("-") : issue.architecture, issue.path, issue.message);
}

// "error <architecture> <path>: <message>" for each message.
QStringList errors(const QString &where, const QStringList &messages)
{
    QStringList lines;
    for (const QString &message : messages)
        lines << "error " + where + ": " + message;
    return lines;
}

// What the service lists for unsigned code, as its published logs show: no
// signature, so no timestamp either, and for an executable no runtime flag.
QStringList unsignedCode(const QString &where, bool executable)
{
    return errors(where, QStringList{kNotSigned, kNoTimestamp} + (executable ? QStringList{kNoRuntime} : QStringList()));
}

} // namespace

class NotaryForecastTest : public QObject {
    Q_OBJECT
private slots:
    void forecast_data()
    {
        QTest::addColumn<QString>("recipe");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QStringList>("expected"); // "severity architecture path: message"
        const QString devError = "error arm64 " + kDev + ": ";
        const QString sparkle = "SparkleTestCodeSignApp.dmg/SparkleTestCodeSignApp.app/Contents/";
        const QString framework = sparkle + "Frameworks/Sparkle.framework/Versions/A/";
        const QString a = "A.app/Contents/MacOS/A: ";
        const QStringList unsignedA = unsignedCode("arm64 A.app/Contents/MacOS/A", true);
        QTest::newRow("Developer ID, timestamped, no hardened runtime") << "dev" << "2023-06-01" << QStringList{devError + kNoRuntime};
        QTest::newRow("its certificate about to expire")
            << "dev" << "2026-01-20"
            << QStringList{devError + kNoRuntime, "warning arm64 " + kDev + ": The Developer ID certificate that signed this code expires on 2026-02-08."};
        QTest::newRow("its certificate expired")
            << "dev" << "2026-12-07"
            << QStringList{devError + kNoRuntime, "warning arm64 " + kDev + ": The Developer ID certificate that signed this code expired on 2026-02-08."};
        QTest::newRow("an unsigned helper added after signing")
            << "dev helper" << "2023-06-01"
            << unsignedCode("arm64 DevSignedApp.app/Contents/Helpers/H", true) + QStringList{devError + kInvalid};
        QTest::newRow("unsigned code in a zip added after signing")
            << "dev zip" << "2023-06-01"
            << QStringList{devError + kInvalid} + unsignedCode("x86_64 DevSignedApp.app/Contents/Resources/tor.zip/Tor/tor.real", true);
        QTest::newRow("unsigned app, framework and helper app in an image")
            << "sparkle" << "2023-06-01"
            << unsignedCode("x86_64 " + framework + "Resources/Autoupdate.app/Contents/MacOS/Autoupdate", true)
                   + unsignedCode("x86_64 " + framework + "Sparkle", false)
                   + unsignedCode("x86_64 " + sparkle + "MacOS/Sparkle Test App", true);
        const QStringList adhocNested = errors("arm64 A.app/Contents/Frameworks/F.framework/Versions/A/F", {kNotDeveloperId, kNoTimestamp, kNoRuntime})
                                        + errors("arm64 A.app/Contents/Frameworks/libD.dylib", {kNotDeveloperId, kNoTimestamp});
        QTest::newRow("ad hoc, inside out")
            << "adhoc" << "2023-06-01" << adhocNested + errors("arm64 A.app/Contents/MacOS/A", {kNotDeveloperId, kNoTimestamp, kNoRuntime});
        QTest::newRow("framework signed again after the app")
            << "adhoc resign" << "2023-06-01" << adhocNested + errors("arm64 A.app/Contents/MacOS/A", {kInvalid});
        QTest::newRow("SDK older than 10.9")
            << "built minos=10.6 sdk=10.8" << "2023-06-01"
            << unsignedA + QStringList{"error arm64 " + a + "The binary uses an SDK older than the 10.9 SDK."};
        QTest::newRow("SDK 10.9") << "built minos=10.6 sdk=10.9" << "2023-06-01" << unsignedA;
        QTest::newRow("declared minimum below the binary's")
            << "built minos=14.0 sdk=14.2 declared=13.0" << "2023-06-01"
            << unsignedA + QStringList{"warning arm64 " + a + "The binary needs macOS 14.0 but LSMinimumSystemVersion is 13.0: on the systems between, it will not launch."};
        QTest::newRow("declared minimum equal") << "built minos=13.0 sdk=14.2 declared=13.0" << "2023-06-01" << unsignedA;
        const QString missing = "warning arm64 " + a + "The load command for %1 names a library the bundle does not contain: the code will not launch.";
        QTest::newRow("run path library missing")
            << "built minos=11.0 sdk=14.0 lib=@rpath/L.framework/Versions/A/L rpath=@executable_path/../Frameworks" << "2023-06-01"
            << unsignedA + QStringList{missing.arg("@rpath/L.framework/Versions/A/L")};
        QTest::newRow("run path library present")
            << "built minos=11.0 sdk=14.0 lib=@rpath/L.framework/Versions/A/L rpath=@executable_path/../Frameworks has=Contents/Frameworks/L.framework/Versions/A/L"
            << "2023-06-01" << unsignedCode("arm64 A.app/Contents/Frameworks/L.framework/Versions/A/L", false) + unsignedA;
        QTest::newRow("run path the system's") << "built minos=11.0 sdk=14.0 lib=@rpath/libswiftCore.dylib rpath=/usr/lib/swift" << "2023-06-01"
                                               << unsignedA;
        QTest::newRow("no run path at all") << "built minos=11.0 sdk=14.0 lib=@rpath/L.dylib" << "2023-06-01"
                                            << unsignedA + QStringList{missing.arg("@rpath/L.dylib")};
        QTest::newRow("loader path library missing, system library not")
            << "built minos=11.0 sdk=14.0 lib=@loader_path/../Frameworks/L.dylib,/usr/lib/libSystem.B.dylib" << "2023-06-01"
            << unsignedA + QStringList{missing.arg("@loader_path/../Frameworks/L.dylib")};
        QTest::newRow("executable path library present")
            << "built minos=11.0 sdk=14.0 lib=@executable_path/../Frameworks/L.dylib has=Contents/Frameworks/L.dylib" << "2023-06-01"
            << unsignedCode("arm64 A.app/Contents/Frameworks/L.dylib", false) + unsignedA;
    }

    void forecast()
    {
        QFETCH(QString, recipe);
        QFETCH(QString, now);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QStringList words = recipe.split(u' ');
        const Package package = preparedPackage(dir.path(), words);
        if (package.root.isEmpty())
            QSKIP("the package could not be unpacked here (7zz or cmake missing)");
        const NotaryForecast forecast =
            forecastPackage(package.root, package.name, QDateTime(QDate::fromString(now, Qt::ISODate), QTime(12, 0), Qt::UTC));
        QStringList issues;
        for (const ForecastIssue &issue : forecast.issues) {
            issues << rendered(issue);
            QVERIFY2(!issue.fix.isEmpty(), qPrintable(rendered(issue)));
        }
        QCOMPARE(issues, expected);
        QCOMPARE(forecast.status(), expected.join(u'\n').contains(QLatin1String("error ")) ? u"Invalid" : u"Accepted");
    }

    // One slice's signature facts against the notary's rules: what real packages
    // here cannot show (development and store signatures, SHA-1, get-task-allow,
    // a library of another team beside an app of team AAAAAAAAAA).
    void sliceRules_data()
    {
        QTest::addColumn<QString>("facts"); // kind, then: dylib, sha1, sha1+sha256, debug, untimed, broken,
                                            // plain (no hardened runtime), lv-off (no library validation),
                                            // team=<a library's team>, outside (that library not in the app)
        QTest::addColumn<QStringList>("expected");
        const QString a = "arm64 A.app/Contents/MacOS/A";
        QTest::newRow("Developer ID, all in order") << "developerId" << QStringList();
        QTest::newRow("get-task-allow") << "developerId debug"
                                        << errors(a, {"The executable requests the com.apple.security.get-task-allow entitlement."});
        QTest::newRow("SHA-1 alone") << "developerId sha1" << errors(a, {"The signature algorithm used is too weak."});
        QTest::newRow("SHA-1 beside SHA-256") << "developerId sha1+sha256" << QStringList();
        QTest::newRow("no timestamp") << "developerId untimed" << errors(a, {kNoTimestamp});
        QTest::newRow("linker-signed") << "linkerSigned untimed" << errors(a, {kNotDeveloperId, kNoTimestamp});
        QTest::newRow("Apple Development") << "appleDevelopment" << errors(a, {kNotDeveloperId});
        QTest::newRow("Mac App Distribution library") << "macAppDistribution dylib" << errors(a, {kNotDeveloperId});
        QTest::newRow("changed Developer ID code") << "developerId broken untimed debug" << errors(a, {kInvalid});
        QTest::newRow("changed, its certificate never reached") << "other broken untimed" << errors(a, {kInvalid});
        QTest::newRow("library of another team")
            << "developerId team=BBBBBBBBBB"
            << QStringList{"warning arm64 A.app/Contents/Frameworks/L.dylib: This library is signed by team BBBBBBBBBB, not by "
                           "the app's team AAAAAAAAAA: under the hardened runtime's library validation the app will refuse to load it."};
        QTest::newRow("library of the same team") << "developerId team=AAAAAAAAAA" << QStringList();
        QTest::newRow("library validation off") << "developerId lv-off team=BBBBBBBBBB" << QStringList();
        QTest::newRow("no hardened runtime") << "developerId plain team=BBBBBBBBBB" << errors(a, {kNoRuntime});
        QTest::newRow("library outside the app") << "developerId outside team=BBBBBBBBBB" << QStringList();
    }

    void sliceRules()
    {
        QFETCH(QString, facts);
        const QStringList words = facts.split(u' ');
        static const QMap<QString, SignatureKind> kinds{{"developerId", SignatureKind::developerId},
                                                        {"linkerSigned", SignatureKind::linkerSigned},
                                                        {"appleDevelopment", SignatureKind::appleDevelopment},
                                                        {"macAppDistribution", SignatureKind::macAppDistribution},
                                                        {"other", SignatureKind::other}};
        SliceInventory slice;
        slice.architecture = QStringLiteral("arm64");
        slice.kind = kinds.value(words[0]);
        slice.fileType = words.contains("dylib") ? machOType::dylib : machOType::executable;
        slice.hardenedRuntime = !words.contains("plain");
        slice.disablesLibraryValidation = words.contains("lv-off");
        slice.teamIdentifier = QStringLiteral("AAAAAAAAAA");
        slice.secureTimestamp = !words.contains("untimed");
        slice.getTaskAllow = words.contains("debug");
        slice.hashTypes = words.contains("sha1") ? QStringList{"sha1"}
                        : words.contains("sha1+sha256") ? QStringList{"sha1", "sha256"} : QStringList{"sha256"};
        if (slice.kind != SignatureKind::other)
            slice.leafExpiry = QDateTime(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC);
        if (words.contains("broken"))
            slice.failures = QStringList{"invalid signature (code or signature have been modified)"};
        CodeInventory inventory;
        inventory.items.push_back(CodeItem{QStringLiteral("A.app/Contents/MacOS/A"), {}, {}, true, {}, {}, {}, {slice}});
        const QStringList team = words.filter(QStringLiteral("team="));
        if (!team.isEmpty()) {
            SliceInventory library = slice;
            library.fileType = machOType::dylib;
            library.teamIdentifier = team.first().mid(5);
            const QString at = words.contains("outside") ? "Other.app/Contents/Frameworks/L.dylib" : "A.app/Contents/Frameworks/L.dylib";
            inventory.items.push_back(CodeItem{at, {}, {}, false, {}, {}, {}, {library}});
        }
        QStringList issues;
        for (const ForecastIssue &issue : forecastOf(inventory, QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC)).issues)
            issues << rendered(issue);
        QTEST(issues, "expected");
    }
};

QTEST_GUILESS_MAIN(NotaryForecastTest)
#include "notary_forecast_test.moc"
