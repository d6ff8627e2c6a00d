// Contrast on every screen, measured on the windows themselves: each text the
// screens draw against what lies behind it (4.5 : 1, large text 3 : 1), and
// each focus ring against what surrounds it (3 : 1). A palette change that
// breaks a ratio fails here, naming the text and the ratio.

#include "window_harness.h"

#include "contrast.h"
#include "contrast_audit.h"
#include "ui/window/engine_setup.h"

#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

namespace {

// A signed, notarized application with the Hardened Runtime: ready to ship.
Program::DataResult readyOutcomes(const ToolCall &call)
{
    if (call.arguments.value(0) == "-dv")
        return {0, {}, "Authority=Developer ID Application: Jane Doe (ABCDE12345)\nCodeDirectory flags=0x10000(runtime)\n"};
    return {};
}

// Runs a package until `finished` stages show a final status (all of them: -1).
bool runTo(WindowHarness &harness, const ToolScript &script, const QString &name, int finished)
{
    harness.prepareRuns(script.tools());
    harness.state()->beginInspection(QUrl::fromLocalFile("/tmp/veristamp-ui-test/" + name));
    return QTest::qWaitFor([&] {
        if (finished < 0)
            return harness.state()->hasInspection();
        const auto &stages = harness.state()->liveStages()->stages();
        return std::count_if(stages.begin(), stages.end(), [](auto &stage) { return isFinal(stage.status); }) == finished;
    });
}

} // namespace

class UiContrastTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpQuickControlsStyle(); }

    void ratios()
    {
        QCOMPARE(qRound(contrastRatio(Qt::white, Qt::black) * 100), 2100);
        QCOMPARE(qRound(contrastRatio(QColor("#767676"), Qt::white) * 100), 454);
        QCOMPARE(requiredTextContrast(17, QFont::DemiBold) - requiredTextContrast(14, QFont::Bold), 1.5);
    }

    void screens_data()
    {
        QTest::addColumn<QString>("package"); // empty: no run
        QTest::addColumn<QStringList>("holdAt");
        QTest::addColumn<int>("finished"); // stages shown finished; -1 for the results
        QTest::addColumn<QString>("then"); // "about", "menu", "saved", "forecast" or nothing

        QTest::newRow("landing under a drag, context menu") << "" << QStringList() << 0 << "menu";
        QTest::newRow("live application") << "Example.app" << QStringList{"/usr/bin/codesign", "-d"} << 3 << "";
        QTest::newRow("live disk image") << "Example.dmg" << QStringList{"/usr/sbin/spctl", "--assess"} << 3 << "";
        QTest::newRow("results not to ship") << "Example.dmg" << QStringList() << -1 << "";
        QTest::newRow("results ready to ship, About") << "Ready.app" << QStringList() << -1 << "about";
        QTest::newRow("results, report saved") << "Example.app" << QStringList() << -1 << "saved";
        QTest::newRow("results with a forecast's issues and code") << "Example.app" << QStringList() << -1 << "forecast";
    }

    void screens()
    {
        QFETCH(QString, package);
        QFETCH(QStringList, holdAt);
        QFETCH(int, finished);
        QFETCH(QString, then);

        WindowHarness harness;
        ToolScript script(package == "Ready.app" ? readyOutcomes : mixedToolOutcomes, holdAt);
        QVERIFY(package.isEmpty() || runTo(harness, script, package, finished));
        if (then == "about")
            harness.state()->showAbout();
        if (then == "saved")
            harness.state()->setReleaseReportSaved(true);
        if (then == "forecast") {
            const QString exe = "Example.app/Contents/MacOS/Example";
            const NotaryForecast forecast{{{"error", exe, "The binary is not signed.", "x86_64", "Sign it."},
                                           {"warning", exe, "A library is missing.", "", "Add it."}},
                                          {{exe, {"x86_64", "arm64"}, {"none", "ad hoc"}}}};
            harness.state()->inspectionView()->setResult(harness.state()->inspection(), ForecastAttempt{forecast});
            harness.window()->grabWindow(); // the layouts settle
        }
        if (then == "menu") {
            harness.state()->setIsTargeted(true); // the zone as a drag brightens it
            QTest::mouseClick(harness.window(), Qt::RightButton, {}, WindowHarness::centreOf(harness.item("dropZone")).toPoint());
            QObject *menu = nullptr; // made when it first opens
            QTRY_VERIFY((menu = harness.window()->findChild<QObject *>("windowMenu")) && menu->property("visible").toBool());
            menu->setProperty("currentIndex", 0); // one item highlighted
        }
        if (finished < 0) { // the whole results column in the window, as the screen scrolls through it
            QQuickItem *results = harness.item("resultsView");
            harness.window()->resize(920, int(results->mapToScene({0, 0}).y() + results->height()));
        }
        QTest::qWait(250); // animations settle
        harness.window()->grabWindow();

        QStringList failures;
        int rings = 0;
        const QList<ContrastSample> samples = windowContrast(*harness.window());
        for (const ContrastSample &sample : samples) {
            rings += sample.what == "focus ring";
            if (sample.ratio < sample.required)
                failures << QString("%1 \"%2\": %3 < %4").arg(sample.where, sample.what).arg(sample.ratio, 0, 'f', 2).arg(sample.required);
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
        QVERIFY(samples.size() - rings >= 4 && rings >= 1);
    }
};

QTEST_MAIN(UiContrastTest)
#include "ui_contrast_test.moc"
