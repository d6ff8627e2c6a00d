#pragma once
// The command line of veristamp-check: options and package paths, or the
// reason the command line cannot be used.

#include <QString>
#include <QStringList>

#include <optional>

enum class CheckFormat { text, json, junit };

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

QString checkUsageText();
