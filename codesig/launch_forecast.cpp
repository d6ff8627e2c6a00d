// What the notary lets through but the system refuses when the code runs, or
// the signer can no longer do at the next release.

#include "codesig/binary_facts.h"
#include "codesig/notary_forecast_parts.h"

#include <QDir>
#include <QFileInfo>

namespace codesig {
namespace {

const QString kWarning = QStringLiteral("warning");
constexpr qint64 expiryNoticeDays = 30;

const SliceInventory *sliceFor(const CodeItem &item, const QString &architecture)
{
    for (const SliceInventory &slice : item.slices)
        if (slice.architecture == architecture)
            return &slice;
    return nullptr;
}

// The folder of the app a main executable belongs to, as item paths start with it.
QString appPrefix(const CodeItem &main)
{
    const qsizetype contents = main.path.lastIndexOf(QLatin1String("/Contents/MacOS/"));
    return contents < 0 ? QString() : main.path.left(contents + 1);
}

void addTeamIssues(QList<ForecastIssue> &issues, const CodeInventory &inventory, const CodeItem &main)
{
    const QString prefix = appPrefix(main);
    for (const CodeItem &item : inventory.items) {
        if (&item == &main || prefix.isEmpty() || !item.path.startsWith(prefix))
            continue;
        for (const SliceInventory &library : item.slices) {
            const SliceInventory *app = sliceFor(main, library.architecture);
            if (!app || !app->hardenedRuntime || app->disablesLibraryValidation || app->teamIdentifier.isEmpty()
                || library.fileType == machOType::executable || library.teamIdentifier.isEmpty()
                || library.teamIdentifier == app->teamIdentifier)
                continue;
            issues << forecastIssue(kWarning, item.path,
                                    QStringLiteral("This library is signed by team %1, not by the app's team %2: under the hardened runtime's library validation the app will refuse to load it.")
                                        .arg(library.teamIdentifier, app->teamIdentifier),
                                    library.architecture,
                                    QStringLiteral("Sign the library with the app's own Developer ID, or give the app the com.apple.security.cs.disable-library-validation entitlement."));
        }
    }
}

// Where a path beginning @executable_path or @loader_path leads; the path itself otherwise.
QString expanded(const QString &path, const CodeItem &item)
{
    if (path.startsWith(QLatin1String("@executable_path/")))
        return item.executableFolder + path.mid(16);
    if (path.startsWith(QLatin1String("@loader_path/")))
        return QFileInfo(item.filePath).path() + path.mid(12);
    return path;
}

// Whether the library is there, or lies where this host cannot look (the system's own libraries).
bool reachable(const QString &candidate, const QString &root)
{
    const QString clean = QDir::cleanPath(candidate);
    return !clean.startsWith(root + u'/') || QFileInfo::exists(clean);
}

bool libraryFound(const QString &library, const CodeItem &item, const QStringList &rpaths, const QString &root)
{
    if (!library.startsWith(QLatin1String("@rpath/")))
        return reachable(expanded(library, item), root);
    const QString rest = library.mid(6);
    for (const QString &rpath : rpaths)
        if (reachable(expanded(rpath, item) + rest, root))
            return true;
    return false;
}

void addMissingLibraries(QList<ForecastIssue> &issues, const CodeItem &item, const QString &root)
{
    if (item.filePath.isEmpty())
        return;
    for (const SliceInventory &slice : item.slices) {
        for (const QString &library : slice.libraries) {
            if (!library.startsWith(u'@') || libraryFound(library, item, slice.rpaths, root))
                continue;
            issues << forecastIssue(kWarning, item.path,
                                    QStringLiteral("The load command for %1 names a library the bundle does not contain: the code will not launch.").arg(library),
                                    slice.architecture,
                                    QStringLiteral("Copy %1 into the bundle where the load command leads (usually Contents/Frameworks), or correct its install name or the run paths (LC_RPATH).")
                                        .arg(library.section(u'/', -1)));
        }
    }
}

void addMinimumSystemIssues(QList<ForecastIssue> &issues, const CodeItem &item)
{
    for (const SliceInventory &slice : item.slices) {
        if (!item.declaredMinimumOs || !slice.minimumOs || *slice.minimumOs <= *item.declaredMinimumOs)
            continue;
        const QString needed = versionText(*slice.minimumOs);
        const QString declared = versionText(*item.declaredMinimumOs);
        issues << forecastIssue(kWarning, item.path,
                                QStringLiteral("The binary needs macOS %1 but LSMinimumSystemVersion is %2: on the systems between, it will not launch.").arg(needed, declared),
                                slice.architecture,
                                QStringLiteral("Raise LSMinimumSystemVersion to %1, or build the binary for macOS %2 (MACOSX_DEPLOYMENT_TARGET).").arg(needed, declared));
    }
}

void addExpiryIssues(QList<ForecastIssue> &issues, const CodeItem &item, const QDateTime &now)
{
    for (const SliceInventory &slice : item.slices) {
        if (slice.kind != SignatureKind::developerId || !slice.leafExpiry || *slice.leafExpiry > now.addDays(expiryNoticeDays))
            continue;
        const QString date = slice.leafExpiry->toUTC().toString(Qt::ISODate).left(10);
        issues << forecastIssue(kWarning, item.path,
                                (*slice.leafExpiry < now ? QStringLiteral("The Developer ID certificate that signed this code expired on %1.")
                                                         : QStringLiteral("The Developer ID certificate that signed this code expires on %1."))
                                    .arg(date),
                                slice.architecture,
                                QStringLiteral("Renew the Developer ID Application certificate and sign the next release with the new one."));
    }
}

} // namespace

void addLaunchIssues(QList<ForecastIssue> &issues, const CodeInventory &inventory, const QDateTime &now)
{
    const QString &root = inventory.root;
    for (const CodeItem &item : inventory.items) {
        if (item.mainExecutable)
            addTeamIssues(issues, inventory, item);
        addMissingLibraries(issues, item, root);
        addMinimumSystemIssues(issues, item);
        addExpiryIssues(issues, item, now);
    }
    if (!inventory.failure.isEmpty())
        issues << forecastIssue(kWarning, inventory.name, QStringLiteral("Part of the package could not be read, so this forecast may miss code: %1").arg(inventory.failure),
                                QString(), QStringLiteral("Make every file in the package readable and check it again."));
}

} // namespace codesig
