#include "cli/check_options.h"

ParsedCheckOptions parseCheckOptions(const QStringList &arguments)
{
    CheckOptions options;
    bool onlyPackagesFollow = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (onlyPackagesFollow || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            options.packages << argument;
        } else if (argument == QLatin1String("--")) {
            onlyPackagesFollow = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.showHelp = true;
        } else if (argument == QLatin1String("--version")) {
            options.showVersion = true;
        } else if (argument == QLatin1String("--output-dir")) {
            if (i + 1 >= arguments.size())
                return {std::nullopt, QStringLiteral("--output-dir needs a folder")};
            options.outputDir = arguments.at(++i);
        } else if (argument.startsWith(QLatin1String("--output-dir="))) {
            options.outputDir = argument.mid(int(sizeof("--output-dir=")) - 1);
        } else {
            return {std::nullopt, QStringLiteral("unknown option %1").arg(argument)};
        }
    }
    if (options.outputDir && options.outputDir->isEmpty())
        return {std::nullopt, QStringLiteral("--output-dir needs a folder")};
    if (options.packages.isEmpty() && !options.showHelp && !options.showVersion)
        return {std::nullopt, QStringLiteral("no package given")};
    return {options, QString()};
}

QString checkUsageText()
{
    return QStringLiteral(
        "Usage: veristamp-check [--output-dir DIR] PACKAGE...\n"
        "\n"
        "Runs Veristamp's release preflight on each .app bundle or .dmg disk image\n"
        "and prints its release report on standard output.\n"
        "\n"
        "Options:\n"
        "  --output-dir DIR  also save each report in DIR under its proposed file name\n"
        "  --help            show this text\n"
        "  --version         show the version\n"
        "\n"
        "Exit status: 0 every package is READY TO SHIP, 1 the worst is REVIEW BEFORE\n"
        "SHIPPING (or a report could not be saved), 2 a package is DO NOT SHIP,\n"
        "64 the command line is wrong, 66 a package is missing or not an .app or .dmg,\n"
        "73 the temporary folder cannot hold capture files, 128+N stopped by signal N.\n");
}
