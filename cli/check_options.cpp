#include "cli/check_options.h"

#include <QCommandLineParser>

namespace {

const QString outputDirOption = QStringLiteral("output-dir");
const QString formatOption = QStringLiteral("format");

// In the order of CheckFormat.
const QStringList &formatNames()
{
    static const QStringList names{QStringLiteral("text"), QStringLiteral("json"), QStringLiteral("junit")};
    return names;
}

bool takesValue(const QString &name)
{
    return name == outputDirOption || name == formatOption;
}

// Qt's parser reports option names; the message names the argument as the
// user typed it ("--fast=1", "-xv"): the first one holding an unknown name,
// or giving a value to an option that takes none. Nothing when the fault is
// a value missing after the last argument.
std::optional<QString> rejectedArgument(const QStringList &arguments, const QStringList &unknownNames)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            continue;
        if (argument.startsWith(QLatin1String("--"))) {
            const QString name = argument.mid(2).section(QLatin1Char('='), 0, 0);
            const bool hasValue = argument.contains(QLatin1Char('='));
            if (unknownNames.contains(name) || (hasValue && !takesValue(name)))
                return argument;
            if (takesValue(name) && !hasValue)
                ++i; // its value, whatever it looks like
            continue;
        }
        for (const QChar letter : argument.mid(1)) {
            if (unknownNames.contains(QString(letter)))
                return argument;
        }
    }
    return std::nullopt;
}

QString missingValueText(const QStringList &arguments, const QString &parserError)
{
    const QString last = arguments.isEmpty() ? QString() : arguments.last();
    if (last == QLatin1String("--format"))
        return QStringLiteral("--format needs text, json or junit");
    if (last == QLatin1String("--output-dir"))
        return QStringLiteral("--output-dir needs a folder");
    return parserError;
}

} // namespace

ParsedCheckOptions parseCheckOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {QStringLiteral("version"), QString()},
        {outputDirOption, QString(), QStringLiteral("DIR")},
        {formatOption, QString(), QStringLiteral("FORMAT")},
        {QStringLiteral("release-set"), QString()},
    });
    if (!parser.parse(QStringList{QStringLiteral("veristamp-check")} + arguments)) {
        if (const std::optional<QString> rejected = rejectedArgument(arguments, parser.unknownOptionNames()))
            return {std::nullopt, QStringLiteral("unknown option %1").arg(*rejected)};
        return {std::nullopt, missingValueText(arguments, parser.errorText())};
    }

    CheckOptions options;
    options.packages = parser.positionalArguments();
    options.showHelp = parser.isSet(QStringLiteral("help"));
    options.showVersion = parser.isSet(QStringLiteral("version"));
    options.releaseSet = parser.isSet(QStringLiteral("release-set"));
    if (parser.isSet(outputDirOption))
        options.outputDir = parser.value(outputDirOption);
    if (parser.isSet(formatOption)) {
        const qsizetype format = formatNames().indexOf(parser.value(formatOption));
        if (format < 0)
            return {std::nullopt, QStringLiteral("unknown format %1 (text, json or junit)").arg(parser.value(formatOption))};
        options.format = CheckFormat(format);
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
        "Usage: veristamp-check [--format text|json|junit] [--release-set] [--output-dir DIR] PACKAGE...\n"
        "\n"
        "Runs Veristamp's release preflight on each .app bundle or .dmg disk image\n"
        "and prints its release report on standard output.\n"
        "\n"
        "Options:\n"
        "  --format FORMAT   text (the release reports, the default), json (one\n"
        "                    evidence document with digests and the host's tools)\n"
        "                    or junit (JUnit XML for CI dashboards)\n"
        "  --release-set     also check that every app (named or inside a disk image)\n"
        "                    has the same bundle identifier, version, build and\n"
        "                    signing authority\n"
        "  --output-dir DIR  also save each package's report in DIR under its proposed\n"
        "                    file name (.txt, .json or .xml by the format)\n"
        "  --help            show this text\n"
        "  --version         show the version\n"
        "\n"
        "Exit status: 0 every package is READY TO SHIP, 1 the worst is REVIEW BEFORE\n"
        "SHIPPING (or a report could not be saved, or the release set disagrees),\n"
        "2 a package is DO NOT SHIP, 64 the command line is wrong, 66 a package is\n"
        "missing or not an .app or .dmg, 73 the temporary folder cannot hold capture\n"
        "files, 128+N stopped by signal N.\n");
}
