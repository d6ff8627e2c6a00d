#include "report/report_dates.h"

#include <QLocale>

#include <cstdlib>

namespace {

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString reportTimestampText(const QDateTime &moment)
{
    // The offset is built by hand: Qt's own zone names vary with the zone
    // backend and the platform, while the report's text is fixed.
    return QLocale::c().toString(moment, QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char(' ')
           + longGmtOffsetText(moment.offsetFromUtc());
}

QString reportFileNameDateText(const QDateTime &moment)
{
    return QLocale::c().toString(moment, QStringLiteral("yyyy-MM-dd-HHmm"));
}

QString longGmtOffsetText(int offsetSeconds)
{
    if (offsetSeconds == 0)
        return QStringLiteral("GMT");
    const int magnitude = std::abs(offsetSeconds);
    QString text = QStringLiteral("GMT") + QLatin1Char(offsetSeconds < 0 ? '-' : '+') + twoDigits(magnitude / 3600)
                   + QLatin1Char(':') + twoDigits(magnitude / 60 % 60);
    if (magnitude % 60 != 0)
        text += QLatin1Char(':') + twoDigits(magnitude % 60);
    return text;
}
