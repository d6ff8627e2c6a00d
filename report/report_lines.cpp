#include "report/report_lines.h"

#include <algorithm>

namespace {
constexpr qsizetype kSlice = 1 << 16;
} // namespace

ReportLines &ReportLines::operator<<(const QString &fixed)
{
    add(fixed, QStringView());
    return *this;
}

void ReportLines::add(QStringView fixed, QStringView value, LineFeeds lineFeeds)
{
    put(fixed);
    while (!value.isEmpty()) {
        qsizetype size = std::min(value.size(), kSlice);
        if (size < value.size() && value.at(size - 1).isHighSurrogate())
            --size; // a pair stays whole
        put(visibleText(value.first(size).toString(), lineFeeds));
        value = value.sliced(size);
    }
    put(u"\n");
}
