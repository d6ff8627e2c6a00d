#pragma once
// The command line of veristamp-check, read by Qt's parser, which owns the
// options, their help and the version switch: the options and package
// paths, or the reason the command line cannot be used.

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

enum class CheckFormat { text, json, junit };

// One row a format: its name after --format, the extension of the documents
// --output-dir saves, and what --help says of it.
struct CheckFormatRow {
    CheckFormat format;
    QLatin1String name;
    QLatin1String extension;
    QLatin1String help;
};

// Every format, the default first.
const QList<CheckFormatRow> &checkFormats();
const CheckFormatRow &checkFormatRow(CheckFormat format);

struct CheckOptions {
    QStringList packages;
    std::optional<QString> outputDir;
    CheckFormat format = CheckFormat::text;
    bool releaseSet = false;
    bool showHelp = false;
    bool showVersion = false;
};

struct ParsedCheckOptions {
    std::optional<CheckOptions> options;
    QString error; // set when options is empty
};

// The arguments after the program's name.
ParsedCheckOptions parseCheckOptions(const QStringList &arguments);

// The parser's help text, then the exit statuses.
QString checkHelpText();
