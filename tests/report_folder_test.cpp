// Where a report may be saved: never into the package being checked, however
// the path is spelt, and the folder the save panel proposes.

#include "report/report_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ReportFolderTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    QString at(const QString &relative) const { return relative.isEmpty() ? QString() : m_root.filePath(relative); }

private slots:
    // Builds/Harbor.app (a bundle), Builds/Harbor.dmg (an image file), links
    // into and beside the bundle, and a Documents folder.
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QDir root(m_root.path());
        QVERIFY(root.mkpath("Builds/Harbor.app/Contents/MacOS") && root.mkpath("Documents")
                && root.mkpath("Builds/Harbor.app-old"));
        QVERIFY(QFile(at("Builds/Harbor.dmg")).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(at("Builds/Harbor.app/Contents"), at("IntoBundle")));
        QVERIFY(QFile::link(at("Builds"), at("BuildsLink")));
        QVERIFY(QFile::link(at("Builds/Harbor.app"), at("Builds/Harbor.app/Contents/SelfLink")));
    }

    void withinPackage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("within");

        const QString app = "Builds/Harbor.app";
        QTest::newRow("a file in the bundle's folder") << app + "/Contents/report.txt" << app << true;
        QTest::newRow("a file at the bundle's top") << app + "/report.txt" << app << true;
        QTest::newRow("a folder yet to be made inside") << app + "/Contents/New/Deeper/report.txt" << app << true;
        QTest::newRow("the bundle itself") << app << app << true;
        QTest::newRow("through a link into the bundle") << "IntoBundle/report.txt" << app << true;
        QTest::newRow("through a link to the folder above") << "BuildsLink/Harbor.app/report.txt" << app << true;
        QTest::newRow("dot-dot out of the bundle") << app + "/Contents/../../report.txt" << app << false;
        QTest::newRow("a link inside leading back") << app + "/Contents/SelfLink/report.txt" << app << true;
        QTest::newRow("beside the bundle") << "Builds/report.txt" << app << false;
        QTest::newRow("a sibling sharing the name's start") << "Builds/Harbor.app-old/report.txt" << app << false;
        QTest::newRow("the bundle through a link given as package") << app + "/report.txt" << "BuildsLink/Harbor.app" << true;
        QTest::newRow("over the image file") << "Builds/Harbor.dmg" << "Builds/Harbor.dmg" << true;
        QTest::newRow("beside the image file") << "Builds/Harbor.txt" << "Builds/Harbor.dmg" << false;
        QTest::newRow("a package that is gone") << "Builds/Gone.app/report.txt" << "Builds/Gone.app" << false;
        QTest::newRow("no path") << "" << app << false;
    }

    void withinPackage()
    {
        QFETCH(QString, path);
        QFETCH(QString, package);
        QTEST(liesWithinPackage(at(path), at(package)), "within");
    }

    // Names that differ only in case are one folder where the file system
    // finds it by either name, and two folders where it does not.
    void caseAsTheFileSystemCompares()
    {
        const QString variant = at("Builds/HARBOR.APP/Contents/report.txt");
        const bool foldsCase = QFileInfo::exists(at("Builds/HARBOR.APP"));
        QCOMPARE(liesWithinPackage(variant, at("Builds/Harbor.app")), foldsCase);
    }

    void proposedFolder_data()
    {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("proposed");

        QTest::newRow("documents exists") << "Documents" << "Builds/Harbor.app" << "Documents";
        QTest::newRow("documents missing") << "Missing" << "Builds/Harbor.app" << "Builds";
        QTest::newRow("no documents folder known") << "" << "Builds/Harbor.app" << "Builds";
        QTest::newRow("documents inside the bundle") << "IntoBundle" << "Builds/Harbor.app" << "Builds";
        QTest::newRow("documents is the image file") << "Builds/Harbor.dmg" << "Builds/Harbor.dmg" << "Builds";
        QTest::newRow("package through a link") << "Missing" << "BuildsLink/Harbor.app" << "Builds";
    }

    void proposedFolder()
    {
        QFETCH(QString, documents);
        QFETCH(QString, package);
        QFETCH(QString, proposed);
        const QString expected = QFileInfo(at(proposed)).canonicalFilePath();
        QCOMPARE(QFileInfo(proposedReportFolder(at(documents), at(package))).canonicalFilePath(), expected);
    }
};

QTEST_GUILESS_MAIN(ReportFolderTest)
#include "report_folder_test.moc"
