#pragma once
// 7zz's own words about a failed run, gathered while its output streams by,
// and told again in the few words an hdiutil error line takes.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

class SevenZipProblems {
public:
    // Keeps the lines under 7zz's WARNINGS:/ERRORS: headings and its ERROR: lines (a few, cut short).
    void take(QByteArrayView line);
    // "checksum mismatch", "data error", ...; 7zz's first line when none fits.
    QByteArray reason(int status) const;

private:
    QList<QByteArray> m_lines;
    bool m_inHeading = false;
};
