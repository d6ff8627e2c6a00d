#include "engine/tool_output.h"

#include "contract/release_tool_contract.h"

#include <QFileInfo>

#include <algorithm>

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

QString combinedOutput(const Program::TextResult &result)
{
    // One stream alone is passed on shared, not copied: it can be large.
    if (result.standardError.isEmpty())
        return result.standardOutput;
    if (result.standardOutput.isEmpty())
        return result.standardError;
    return result.standardOutput + QLatin1Char('\n') + result.standardError;
}

QString combinedOutput(Program::TextResult &&result)
{
    if (result.standardError.isEmpty())
        return std::move(result.standardOutput);
    if (result.standardOutput.isEmpty())
        return std::move(result.standardError);
    QString combined = std::move(result.standardOutput);
    combined += QLatin1Char('\n');
    combined += result.standardError;
    return combined;
}

QList<QStringView> lineViews(const QString &text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text.at(i))) {
            lines << QStringView(text).sliced(start, i - start);
            start = i + 1;
        }
    }
    lines << QStringView(text).sliced(start);
    return lines;
}

QString condensedDetail(QString text, const QString &fallback)
{
    // Folded in place: every kept character moves only towards the front,
    // and the separating space lands on a newline already read.
    QChar *data = text.data();
    const qsizetype size = text.size();
    qsizetype kept = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= size; ++i) {
        if (i < size && !isNewline(data[i]))
            continue;
        // QStringView::trimmed covers white space and every newline character above.
        const QStringView line = QStringView(data + start, i - start).trimmed();
        if (!line.isEmpty()) {
            if (kept > 0)
                data[kept++] = QLatin1Char(' ');
            std::copy(line.begin(), line.end(), data + kept);
            kept += line.size();
        }
        start = i + 1;
    }
    if (kept == 0)
        return fallback;
    text.truncate(kept);
    return text;
}

QStringList signingAuthorities(const QString &text)
{
    static const QString marker = QLatin1String(kAuthorityLinePrefix);
    QStringList authorities;
    for (QStringView line : lineViews(text)) {
        if (line.startsWith(marker))
            authorities << line.sliced(marker.size()).toString();
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

bool isDeveloperIdLeaf(const QStringList &authorities)
{
    return !authorities.isEmpty() && namesDeveloperIdApplication(authorities.first());
}
