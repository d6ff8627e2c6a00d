#pragma once
// Files and folders for the tests: whole files read and written, the packages
// made on Macs unpacked into a folder, copies of fixtures, and trees deeper
// than any path can name.

#include <QByteArray>
#include <QString>
#include <QStringList>

// Empty when the file cannot be read.
QByteArray readAll(const QString &path);
// Makes the folders above the file first.
bool writeAll(const QString &path, const QByteArray &bytes);

// Runs a program in a folder: true when it exits with 0 within two minutes.
bool runIn(const QString &folder, const QString &program, const QStringList &arguments);
// The real Developer ID app (DevSignedApp.zip) unpacked into the folder:
// the app's path, or empty when it could not be unpacked.
QString unpackSignedApp(const QString &folder);
// The real UDIF image SparkleTestCodeSignApp.dmg unpacked with 7zz, as the
// stand-in hdiutil does: the volume's folder, or empty without 7zz.
QString unpackSparkleImage(const QString &folder);

// A copy of a folder's files (hidden ones too) and the folders holding them.
bool copyTree(const QString &from, const QString &to);

// `depth` folders named "d", each in the one before, below `folder`; made and
// removed through descriptors, since the whole path is far longer than PATH_MAX.
bool nestFolders(const QString &folder, int depth);
void removeNested(const QString &folder);
