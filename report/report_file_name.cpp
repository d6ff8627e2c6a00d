#include "report/report_file_name.h"

#include "report/report_dates.h"
#include "report/visible_text.h"

#include <QStringList>

namespace {

const QString forbiddenCharacters = QStringLiteral("/:\\?%*|\"<>");

QString safeFileNamePart(const QString &name)
{
    QStringList pieces;
    QString piece;
    for (QChar character : name) {
        if (forbiddenCharacters.contains(character) || isHiddenControl(character)) {
            pieces << piece;
            piece.clear();
        } else {
            piece += character;
        }
    }
    pieces << piece;
    pieces.removeAll(QString());
    return pieces.join(QLatin1Char('-'));
}

} // namespace

ReportFileStem reportFileStem(const InspectionResult &result, const QDateTime &now)
{
    return ReportFileStem{safeFileNamePart(result.displayName()),
                          QStringLiteral("-Veristamp-") + reportFileNameDateText(now)};
}

QString defaultReportFileName(const InspectionResult &result, const QDateTime &now)
{
    const ReportFileStem stem = reportFileStem(result, now);
    return stem.subject + stem.tag + QStringLiteral(".txt");
}
