// The whole road of one package through a real window at the real pace:
// dropped on the landing screen, inspected by the stand-in release tools with
// its stages changing in order, shown on the results screen, and cleared by
// "Check Another App or DMG". TMPDIR is private to the test.

#include "stage_letters.h"
#include "window_harness.h"

#include "engine/tool_root.h"
#include "ui/window/engine_setup.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VeristampPlugin)

class UiFlowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        setUpQuickControlsStyle();
    }

    void dropInspectSaveAndCheckAnother()
    {
        WindowHarness harness;
        QVERIFY(harness.window() && QTest::qWaitForWindowExposed(harness.window()));
        harness.prepareRuns(releaseToolsAt(standInToolRoot(QStringLiteral(VERISTAMP_TOOL_ROOT))), true);
        ContentViewState *state = harness.state();
        QStringList changes; // each change as the stage list reads after it
        connect(state->liveStages(), &QAbstractItemModel::dataChanged, this, [&] {
            QString letters;
            for (const LiveInspectionStage &stage : state->liveStages()->stages())
                letters += letterOf(stage.status);
            if (!letters.contains(QRegularExpression("[PWF]p"))) // a stage final and the next active: one change
                changes << letters;
        });
        QQuickItem *checkAnother = harness.item("checkAnotherButton");
        QVERIFY(harness.item("landingView")->isVisible() && !checkAnother->isVisible());

        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile(QStringLiteral(VERISTAMP_TEST_PACKAGES "/dmgs/FailingEmbeddedApp.dmg"))});
        QVERIFY(WindowHarness::drop(harness.window(), WindowHarness::centreOf(harness.item("dropZone")), dragged));
        QTRY_VERIFY(harness.item("liveInspectionView")->isVisible());
        QVERIFY(!harness.item("landingView")->isVisible() && !checkAnother->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(harness.item("resultsScroll")->isVisible(), 30'000);
        QCOMPARE(changes.join(' '), "Papppp PPappp PPPapp PPPPap PPPPPa PPPPPF");
        QCOMPARE(state->inspectionView()->verdictTitle(), "DO NOT SHIP");
        // The result arrived behind the live screen; the header is still laid out for it.
        QQuickItem *badge = harness.item(QStringLiteral("verdictBadge"));
        QVERIFY(badge->parentItem()->width() > badge->implicitWidth());

        QVERIFY(checkAnother->isVisible());
        QTest::mouseClick(harness.window(), Qt::LeftButton, {}, WindowHarness::centreOf(checkAnother).toPoint());
        QTRY_VERIFY(harness.item("landingView")->isVisible());
        QVERIFY(!checkAnother->isVisible() && !state->hasInspection() && state->liveStages()->rowCount() == 0);
    }
};

QTEST_MAIN(UiFlowTest)
#include "ui_flow_test.moc"
