#include "report/verdict.h"
#include "report_sample_results.h"

#include <QtTest>

using namespace samples;

class ReportVerdictTest : public QObject {
    Q_OBJECT

private slots:
    void talliesAndVerdict_data();
    void talliesAndVerdict();
};

namespace {

using Tallies = QList<std::int64_t>;

QList<InspectionCheck> checksOf(std::initializer_list<CheckStatus> statuses)
{
    QList<InspectionCheck> checks;
    for (CheckStatus status : statuses)
        checks << check(status, "Same title", "Same detail.");
    return checks;
}

InspectionResult diskImage(std::initializer_list<CheckStatus> own, std::initializer_list<CheckStatus> embedded)
{
    InspectionResult image = result(PackageKind::diskImage, "/tmp/Harbor.dmg", "Harbor", 0);
    image.checks = checksOf(own);
    image.embeddedApp = EmbeddedAppResult{QStringLiteral("Harbor"), {}, {}, {}, checksOf(embedded), {}};
    return image;
}

} // namespace

void ReportVerdictTest::talliesAndVerdict_data()
{
    QTest::addColumn<InspectionResult>("inspection");
    QTest::addColumn<Tallies>("tallies");
    QTest::addColumn<ReleaseVerdict>("verdict");

    using enum CheckStatus;
    using enum ReleaseVerdict;

    InspectionResult app = result(PackageKind::application, "/tmp/Harbor.app", "Harbor", 0);
    app.checks = checksOf({pass, pass, pending});
    QTest::newRow("pending neither blocks nor counts") << app << Tallies{2, 0, 0} << readyToShip;
    app.checks = checksOf({pass, warning, pending});
    QTest::newRow("a warning asks for review") << app << Tallies{1, 1, 0} << reviewBeforeShipping;
    app.checks = checksOf({warning, warning, fail});
    QTest::newRow("one failure outweighs warnings") << app << Tallies{0, 2, 1} << doNotShip;
    app.checks = checksOf({pending, pending});
    QTest::newRow("only pending checks") << app << Tallies{0, 0, 0} << readyToShip;
    app.checks.clear();
    QTest::newRow("no checks") << app << Tallies{0, 0, 0} << readyToShip;

    QTest::newRow("embedded app warning counts")
        << diskImage({pass, pass}, {pass, warning}) << Tallies{3, 1, 0} << reviewBeforeShipping;
    QTest::newRow("embedded app has the only failure")
        << diskImage({pass, pass, pass}, {pass, fail}) << Tallies{4, 0, 1} << doNotShip;
    InspectionResult withoutApp = diskImage({pass, warning}, {fail});
    withoutApp.embeddedApp.reset();
    QTest::newRow("disk image without app counts its own checks")
        << withoutApp << Tallies{1, 1, 0} << reviewBeforeShipping;
}

void ReportVerdictTest::talliesAndVerdict()
{
    QFETCH(InspectionResult, inspection);
    QFETCH(Tallies, tallies);
    QFETCH(ReleaseVerdict, verdict);

    QCOMPARE((Tallies{passCount(inspection), warningCount(inspection), failCount(inspection)}), tallies);
    QCOMPARE(releaseVerdict(inspection), verdict);
}

QTEST_GUILESS_MAIN(ReportVerdictTest)
#include "report_verdict_test.moc"
