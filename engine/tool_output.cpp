#include "engine/tool_output.h"

#include <QFileInfo>

namespace {
bool isNewline(QChar c)
{
    switch (c.unicode()) {
    case 0x000A: case 0x000B: case 0x000C: case 0x000D:
    case 0x0085: case 0x2028: case 0x2029:
        return true;
    default:
        return false;
    }
}
} // namespace

QString combinedOutput(const Shell::TextResult &result)
{
    QStringList parts;
    if (!result.stdout.isEmpty())
        parts << result.stdout;
    if (!result.stderr.isEmpty())
        parts << result.stderr;
    return parts.join(QLatin1Char('\n'));
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text.at(i))) {
            lines << text.mid(start, i - start);
            start = i + 1;
        }
    }
    lines << text.mid(start);
    return lines;
}

QString condensedDetail(const QString &text, const QString &fallback)
{
    QStringList kept;
    for (const QString &line : splitLines(text)) {
        // QString::trimmed covers white space and every newline character above.
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            kept << trimmed;
    }
    return kept.isEmpty() ? fallback : kept.join(QLatin1Char(' '));
}

QStringList signingAuthorities(const QString &text)
{
    static const QString marker = QStringLiteral("Authority=");
    QStringList authorities;
    for (const QString &line : splitLines(text)) {
        if (line.startsWith(marker))
            authorities << line.mid(marker.size());
    }
    return authorities;
}

QString withoutPackagePath(QString text, const QString &packagePath)
{
    const QString resolved = QFileInfo(packagePath).canonicalFilePath();
    // The longer first, so that neither leaves a piece of the other behind.
    const bool resolvedFirst = resolved.size() > packagePath.size();
    for (const QString &path : {resolvedFirst ? resolved : packagePath, resolvedFirst ? packagePath : resolved}) {
        if (!path.isEmpty())
            text.remove(path);
    }
    return text;
}
