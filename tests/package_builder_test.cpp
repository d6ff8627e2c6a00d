// The fixture packages as the build makes them: every bundle and plain file
// copied unchanged, every disk image folder turned into a tar archive that
// holds exactly that folder's tree (read back with the host's own tar).

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QString sources = QStringLiteral(VERISTAMP_TEST_PACKAGE_SOURCES);
const QString packages = QStringLiteral(VERISTAMP_TEST_PACKAGES);
const QStringList packageFolders{QStringLiteral("apps"), QStringLiteral("dmgs")};

// An entry as a package must keep it: its kind, executable bit and contents or link target.
QByteArray entryOf(const QFileInfo &info)
{
    if (info.isSymLink()) {
        char target[4096];
        const ssize_t length = ::readlink(QFile::encodeName(info.filePath()).constData(), target, sizeof target);
        return "link to " + QByteArray(target, length < 0 ? 0 : int(length));
    }
    if (info.isDir())
        return "folder";
    QFile file(info.filePath());
    return (info.permission(QFile::ExeOwner) ? "executable: " : "file: ") +
           (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
}

// Every entry below a folder by its relative path (nothing for a plain file).
QMap<QString, QByteArray> treeOf(const QString &root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        tree.insert(QDir(root).relativeFilePath(info.filePath()), entryOf(info));
    }
    return tree;
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class PackageBuilderTest : public QObject {
    Q_OBJECT

private slots:
    void everySourceBecomesOnePackage()
    {
        for (const QString &folder : packageFolders)
            QCOMPARE(namesIn(packages + '/' + folder), namesIn(sources + '/' + folder));
    }

    void packageKeepsItsSource_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &folder : packageFolders)
            for (const QString &name : namesIn(sources + '/' + folder))
                QTest::newRow(qPrintable(folder + '/' + name)) << folder + '/' + name;
    }
    void packageKeepsItsSource()
    {
        QFETCH(QString, path);
        const QFileInfo source(sources + '/' + path);
        QString package = packages + '/' + path;
        QTemporaryDir unpacked;
        if (source.isDir() && path.endsWith(QLatin1String(".dmg"))) {
            QVERIFY(QFileInfo(package).isFile());
            QCOMPARE(QProcess::execute(QStringLiteral("tar"), {"-xf", package, "-C", unpacked.path()}), 0);
            package = unpacked.path();
        } else {
            QCOMPARE(entryOf(QFileInfo(package)), entryOf(source));
        }
        const QMap<QString, QByteArray> built = treeOf(package), expected = treeOf(source.filePath());
        QCOMPARE(built.keys(), expected.keys());
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(built.value(it.key()) == it.value(), qPrintable(it.key() + QLatin1String(" differs")));
    }
};

QTEST_GUILESS_MAIN(PackageBuilderTest)
#include "package_builder_test.moc"
