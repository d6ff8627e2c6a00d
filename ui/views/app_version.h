#pragma once
// The program's own version and build, as the About sheet shows them. On
// macOS they come from the application bundle's information
// (CFBundleShortVersionString, CFBundleVersion); elsewhere from the values the
// build compiled in. A value that is missing, not text or empty gives the
// defaults "1.0" and "1".

#include <QString>
#include <QVariant>

QString applicationVersion();
QString applicationBuild();

// The recorded value when it is non-empty text, else the fallback.
QString recordedTextOr(const QVariant &recorded, const QString &fallback);

// Where the values are recorded; an invalid QVariant when they are not.
// One definition per platform, chosen by CMake.
QVariant recordedShortVersion();
QVariant recordedBuildVersion();
