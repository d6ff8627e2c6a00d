// The fixture packages as the build makes them: every bundle and plain file
// copied unchanged, every disk image folder turned into a tar archive that
// holds exactly that folder's tree.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <unistd.h>

namespace {

const QString sources = QStringLiteral(VERISTAMP_TEST_PACKAGE_SOURCES);
const QString packages = QStringLiteral(VERISTAMP_TEST_PACKAGES);
const QStringList packageFolders = {QStringLiteral("apps"), QStringLiteral("dmgs")};

// One entry of a tree, reduced to what a package must keep.
struct Entry {
    char kind = 'f'; // 'f' file, 'd' folder, 'l' symbolic link
    bool executable = false;
    QByteArray bytes; // a file's contents or a link's target
    bool operator==(const Entry &) const = default;
};
using Tree = QMap<QString, Entry>;

QByteArray linkTarget(const QString &path)
{
    char buffer[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length < 0 ? QByteArray() : QByteArray(buffer, int(length));
}

Entry entryOf(const QFileInfo &info)
{
    if (info.isSymLink())
        return {'l', false, linkTarget(info.filePath())};
    if (info.isDir())
        return {'d', false, {}};
    QFile file(info.filePath());
    return {'f', info.permission(QFile::ExeOwner), file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable"};
}

Tree treeOnDisk(const QString &root)
{
    Tree tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        tree.insert(QDir(root).relativeFilePath(info.filePath()), entryOf(info));
    }
    return tree;
}

qint64 octal(const QByteArray &field)
{
    return field.trimmed().replace('\0', "").toLongLong(nullptr, 8);
}

// Reads a POSIX tar archive, checking every header's checksum; pax extended
// headers may override the name and link target of the entry that follows.
std::optional<Tree> treeInArchive(const QByteArray &archive)
{
    Tree tree;
    QByteArray paxPath, paxLink;
    for (qsizetype at = 0; at + 512 <= archive.size();) {
        const QByteArray header = archive.mid(at, 512);
        if (header.count('\0') == 512)
            return tree;
        int sum = 0;
        for (int i = 0; i < 512; ++i)
            sum += (i >= 148 && i < 156) ? ' ' : quint8(header[i]);
        if (sum != octal(header.mid(148, 8)) || header.mid(257, 5) != "ustar")
            return std::nullopt;
        const qint64 size = octal(header.mid(124, 12));
        const QByteArray data = archive.mid(at + 512, size);
        at += 512 + (size + 511) / 512 * 512;
        const char type = header[156];
        if (type == 'x') {
            for (const QByteArray &record : data.split('\n')) {
                const QByteArray field = record.mid(record.indexOf(' ') + 1);
                if (field.startsWith("path="))
                    paxPath = field.mid(5);
                else if (field.startsWith("linkpath="))
                    paxLink = field.mid(9);
            }
            continue;
        }
        QByteArray name = paxPath.isEmpty() ? header.left(100).split('\0').first() : paxPath;
        if (paxPath.isEmpty() && header[345] != '\0')
            name = header.mid(345, 155).split('\0').first() + '/' + name;
        if (name.endsWith('/'))
            name.chop(1);
        const QByteArray link = paxLink.isEmpty() ? header.mid(157, 100).split('\0').first() : paxLink;
        const Entry entry = type == '5' ? Entry{'d', false, {}}
                          : type == '2' ? Entry{'l', false, link}
                                        : Entry{'f', bool(octal(header.mid(100, 8)) & 0100), data};
        tree.insert(QString::fromUtf8(name), entry);
        paxPath.clear();
        paxLink.clear();
    }
    return std::nullopt; // no end-of-archive blocks: cut short
}

void compareTrees(const Tree &actual, const Tree &expected)
{
    QCOMPARE(actual.keys(), expected.keys());
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QVERIFY2(actual.value(it.key()) == it.value(), qPrintable(it.key() + QLatin1String(" differs")));
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

void addPackageRows(bool diskImageFolders)
{
    QTest::addColumn<QString>("path");
    for (const QString &folder : packageFolders) {
        for (const QString &name : namesIn(sources + '/' + folder)) {
            const QString path = folder + '/' + name;
            const QFileInfo info(sources + '/' + path);
            if ((info.isDir() && name.endsWith(QLatin1String(".dmg"))) == diskImageFolders)
                QTest::newRow(qPrintable(path)) << path;
        }
    }
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

    void copiedUnchanged_data() { addPackageRows(false); }
    void copiedUnchanged()
    {
        QFETCH(QString, path);
        const QFileInfo source(sources + '/' + path), package(packages + '/' + path);
        QCOMPARE(package.isDir(), source.isDir());
        QVERIFY(entryOf(package) == entryOf(source));
        if (source.isDir())
            compareTrees(treeOnDisk(package.filePath()), treeOnDisk(source.filePath()));
    }

    void diskImageArchivesTheFolder_data() { addPackageRows(true); }
    void diskImageArchivesTheFolder()
    {
        QFETCH(QString, path);
        QFile image(packages + '/' + path);
        QVERIFY(image.open(QIODevice::ReadOnly));
        const std::optional<Tree> archived = treeInArchive(image.readAll());
        QVERIFY2(archived, "not a complete tar archive with valid header checksums");
        compareTrees(*archived, treeOnDisk(sources + '/' + path));
    }
};

QTEST_GUILESS_MAIN(PackageBuilderTest)
#include "package_builder_test.moc"
