#include "report/report_file_name.h"

#include "report/report_dates.h"

#include <QStringList>

namespace {

const QString forbiddenCharacters = QStringLiteral("/:\\?%*|\"<>");

QString safeFileNamePart(const QString &name)
{
    QStringList pieces;
    QString piece;
    for (QChar character : name) {
        if (forbiddenCharacters.contains(character)) {
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

QString defaultReportFileName(const InspectionResult &result, const QDateTime &now)
{
    return safeFileNamePart(result.displayName()) + QStringLiteral("-Veristamp-") + reportFileNameDateText(now)
           + QStringLiteral(".txt");
}
