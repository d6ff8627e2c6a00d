#pragma once
// Where the lines of a report go as they are made: into a string, or straight
// into UTF-8 bytes. A value from the result (a name, a detail, the
// entitlements) may be a tool's whole output, so it is shown through
// visibleText and encoded a slice at a time, never copied whole.

#include "report/visible_text.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

class ReportLines {
public:
    virtual ~ReportLines() = default;

    // A line of fixed text.
    ReportLines &operator<<(const QString &fixed);
    // A line of fixed text followed by a value from the result.
    void add(QStringView fixed, QStringView value, LineFeeds lineFeeds = LineFeeds::replace);

protected:
    virtual void put(QStringView text) = 0;
};

class ReportTextLines final : public ReportLines {
public:
    QString text;

protected:
    void put(QStringView piece) override { text += piece; }
};

class ReportUtf8Lines final : public ReportLines {
public:
    QByteArray bytes;

protected:
    void put(QStringView piece) override { bytes += piece.toUtf8(); }
};
