#include "report/verdict.h"
#include "report_sample_results.h"

#include <QtTest>

using Statuses = QList<CheckStatus>;
using Tallies = QList<std::int64_t>;

namespace {

QList<InspectionCheck> checksOf(const Statuses &statuses)
{
    QList<InspectionCheck> checks;
    for (CheckStatus status : statuses)
        checks << samples::check(status, "Same title", "Same detail.");
    return checks;
}

InspectionResult application(const Statuses &statuses)
{
    return samples::result(PackageKind::application, "/tmp/Harbor.app", "Harbor", 0, checksOf(statuses));
}

InspectionResult diskImage(const Statuses &own, const std::optional<Statuses> &app)
{
    InspectionResult image = samples::result(PackageKind::diskImage, "/tmp/Harbor.dmg", "Harbor", 0, checksOf(own));
    if (app)
        std::get<DiskImageInspection>(image.package).embeddedApp = samples::bareApp("Harbor", checksOf(*app));
    return image;
}

} // namespace

class ReportVerdictTest : public QObject {
    Q_OBJECT

private slots:
    void talliesAndVerdict_data()
    {
        QTest::addColumn<InspectionResult>("inspection");
        QTest::addColumn<Tallies>("tallies");
        QTest::addColumn<ReleaseVerdict>("verdict");
        using enum CheckStatus;
        using enum ReleaseVerdict;
        QTest::newRow("pending is ignored") << application({pass, pass, pending}) << Tallies{2, 0, 0} << readyToShip;
        QTest::newRow("warning asks for review")
            << application({pass, warning, pending}) << Tallies{1, 1, 0} << reviewBeforeShipping;
        QTest::newRow("failure outweighs warnings")
            << application({warning, warning, fail}) << Tallies{0, 2, 1} << doNotShip;
        QTest::newRow("no checks") << application({}) << Tallies{0, 0, 0} << readyToShip;
        QTest::newRow("embedded app has the only failure")
            << diskImage({pass, pass, pass}, {{pass, fail}}) << Tallies{4, 0, 1} << doNotShip;
        QTest::newRow("embedded app warning counts")
            << diskImage({pass, pass}, {{pass, warning}}) << Tallies{3, 1, 0} << reviewBeforeShipping;
        QTest::newRow("disk image without app counts its own checks")
            << diskImage({pass, warning}, std::nullopt) << Tallies{1, 1, 0} << reviewBeforeShipping;
    }

    void talliesAndVerdict()
    {
        QFETCH(InspectionResult, inspection);
        QTEST((Tallies{passCount(inspection), warningCount(inspection), failCount(inspection)}), "tallies");
        QTEST(releaseVerdict(inspection), "verdict");
    }
};

QTEST_GUILESS_MAIN(ReportVerdictTest)
#include "report_verdict_test.moc"
