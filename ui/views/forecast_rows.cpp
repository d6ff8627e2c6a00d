#include "ui/views/forecast_rows.h"

#include "ui/views/result_sections.h"

namespace {

bool isError(const ForecastIssue &issue)
{
    return issue.severity == QLatin1String("error");
}

// The inventory's names read as a label: "Not signed", "Ad hoc", "Developer ID".
QString signatureWords(const QString &kind)
{
    if (kind == QLatin1String("none"))
        return QStringLiteral("Not signed");
    return kind.left(1).toUpper() + kind.mid(1);
}

// One kind for every architecture, else "arm64: Developer ID · x86_64: Not signed".
QString signatureText(const ForecastCode &code, const QString &separator)
{
    QStringList kinds;
    for (const QString &kind : code.signatures)
        kinds << signatureWords(kind);
    kinds.removeDuplicates();
    if (kinds.size() <= 1)
        return kinds.value(0, QStringLiteral("Damaged file"));
    QStringList each;
    for (qsizetype index = 0; index < code.architectures.size(); ++index)
        each << code.architectures[index] + QStringLiteral(": ") + signatureWords(code.signatures.value(index));
    return each.join(separator);
}

} // namespace

ForecastIssueRowView forecastIssueRow(const ForecastIssue &issue)
{
    const CheckStatus status = isError(issue) ? CheckStatus::fail : CheckStatus::warning;
    const QColor color = checkStatusColor(status);
    const QString fix = QStringLiteral("Fix: ") + issue.fix;
    const QString where = issue.architecture.isEmpty() ? issue.path : issue.path + QStringLiteral(", ") + issue.architecture;
    const QString spoken = isError(issue) ? QStringLiteral("Error") : QStringLiteral("Warning");
    return {issue.message, issue.path, issue.architecture, fix, checkStatusSymbol(status), color, fadedBy(color, 0.14),
            issue.severity.toUpper(), QStringLiteral("%1. %2. %3 %4").arg(spoken, where, issue.message, fix)};
}

NestedCodeRowView nestedCodeRow(const ForecastCode &code)
{
    const bool read = !code.architectures.isEmpty();
    const QString architectures = read ? code.architectures.join(QStringLiteral(" \u00B7 ")) : QStringLiteral("Not read");
    const QString spokenArchitectures = read ? code.architectures.join(QStringLiteral(" and ")) : architectures;
    return {code.path, architectures, signatureText(code, QStringLiteral(" \u00B7 ")),
            QStringLiteral("%1: %2, %3.").arg(code.path, spokenArchitectures, signatureText(code, QStringLiteral(", ")))};
}
