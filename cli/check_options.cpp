#include "cli/check_options.h"

#include "cli/exit_status.h"

#include <QCommandLineParser>

namespace {

const QString outputDirOption = QStringLiteral("output-dir");
const QString formatOption = QStringLiteral("format");
const QString releaseSetOption = QStringLiteral("release-set");

// "text, json or junit".
QString formatChoices()
{
    QStringList names;
    for (const CheckFormatRow &row : checkFormats())
        names << row.name;
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString formatHelp()
{
    QStringList parts;
    for (const CheckFormatRow &row : checkFormats())
        parts << row.name + QStringLiteral(" (") + row.help + QLatin1Char(')');
    return QStringLiteral("What standard output carries: ") + parts.join(QStringLiteral(", ")) + QLatin1Char('.');
}

// The whole command line, defined once for reading it and for its help.
struct CheckParser {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();

    CheckParser()
    {
        parser.setApplicationDescription(
            QStringLiteral("Runs Veristamp's release preflight on each .app bundle or .dmg disk image and prints "
                           "its release report on standard output."));
        parser.addOptions({
            {formatOption, formatHelp(), QStringLiteral("FORMAT"), QStringLiteral("text")},
            {releaseSetOption, QStringLiteral("Also check that every app (named or inside a disk image) has the same "
                                              "bundle identifier, version, build and signing authority.")},
            {outputDirOption, QStringLiteral("Also save each package's report in DIR under its proposed file name, "
                                             "with the format's extension."),
             QStringLiteral("DIR")},
        });
        parser.addPositionalArgument(QStringLiteral("PACKAGE"), QStringLiteral("An .app bundle or a .dmg disk image."),
                                     QStringLiteral("PACKAGE..."));
    }
};

std::optional<CheckFormat> formatNamed(const QString &name)
{
    for (const CheckFormatRow &row : checkFormats()) {
        if (row.name == name)
            return row.format;
    }
    return std::nullopt;
}

ParsedCheckOptions refused(const QString &error)
{
    return {std::nullopt, error};
}

} // namespace

const QList<CheckFormatRow> &checkFormats()
{
    static const QList<CheckFormatRow> rows{
        {CheckFormat::text, QLatin1String("text"), QLatin1String(".txt"),
         QLatin1String("the release reports, the default")},
        {CheckFormat::json, QLatin1String("json"), QLatin1String(".json"),
         QLatin1String("one evidence document with digests and the host's tools")},
        {CheckFormat::junit, QLatin1String("junit"), QLatin1String(".xml"),
         QLatin1String("JUnit XML for CI dashboards")},
    };
    return rows;
}

const CheckFormatRow &checkFormatRow(CheckFormat format)
{
    for (const CheckFormatRow &row : checkFormats()) {
        if (row.format == format)
            return row;
    }
    return checkFormats().first();
}

ParsedCheckOptions parseCheckOptions(const QStringList &arguments)
{
    CheckParser check;
    QCommandLineParser &parser = check.parser;
    if (!parser.parse(QStringList{QStringLiteral("veristamp-check")} + arguments))
        return refused(parser.errorText());

    CheckOptions options;
    options.packages = parser.positionalArguments();
    options.showHelp = parser.isSet(check.help) || parser.isSet(QStringLiteral("help-all"));
    options.showVersion = parser.isSet(check.version);
    options.releaseSet = parser.isSet(releaseSetOption);
    if (parser.isSet(outputDirOption))
        options.outputDir = parser.value(outputDirOption);
    const std::optional<CheckFormat> format = formatNamed(parser.value(formatOption));
    if (!format)
        return refused(QStringLiteral("unknown format %1 (%2)").arg(parser.value(formatOption), formatChoices()));
    options.format = *format;
    if (options.outputDir && options.outputDir->isEmpty())
        return refused(QStringLiteral("--output-dir needs a folder"));
    if (options.packages.isEmpty() && !options.showHelp && !options.showVersion)
        return refused(QStringLiteral("no package given"));
    return {options, QString()};
}

QString checkHelpText()
{
    return CheckParser().parser.helpText() + QLatin1Char('\n') + exitStatusHelp();
}
