// Packages opened from outside (QFileOpenEvent) reach a window's intake: a
// refused file beeps as a refused drop does, a window on its landing screen
// takes a package, and a window showing a result is left for a new one.

#include "window_harness.h"

#include "ui/engine_setup.h"
#include "ui/file_open_intake.h"

#include <QFileOpenEvent>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

class FileOpenIntakeTest : public QObject {
    Q_OBJECT

private slots:
    void openedFilesGoThroughAWindowsIntake()
    {
        setUpQuickControlsStyle();
        WindowHarness harness;
        ToolScript script(mixedToolOutcomes);
        int beeped = 0;
        harness.state()->setBeeper([&beeped] { ++beeped; });
        FileOpenIntake intake(harness.engine());
        qApp->installEventFilter(&intake);
        const auto open = [&](const QString &name) {
            QFileOpenEvent event(QUrl::fromLocalFile("/tmp/veristamp-open-test/" + name));
            QCoreApplication::sendEvent(qApp, &event);
            harness.prepareRuns(script.tools());
        };

        open("notes.txt");
        QTRY_COMPARE(beeped, 1);
        open("Tidewater.APP");
        QTRY_COMPARE(harness.state()->screen(), ContentViewState::Screen::results);
        open("Quarry 0.9 beta.dmg");
        QCOMPARE(harness.windows().size(), 2);
        QTRY_COMPARE(harness.state(1)->inspectionTargetName(), QStringLiteral("Quarry 0.9 beta.dmg"));
        QCOMPARE(harness.state(0)->inspectionTargetName(), QStringLiteral("Tidewater.APP"));
        QCOMPARE(beeped, 1);
    }
};

QTEST_MAIN(FileOpenIntakeTest)
#include "file_open_intake_test.moc"
