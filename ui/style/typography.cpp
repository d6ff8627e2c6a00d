#include "ui/style/typography.h"

#include <QFontDatabase>

QString Typography::monospacedFamily() const
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}
