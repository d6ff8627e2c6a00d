#include "codesig/seal_rules.h"

#include <QVariantMap>

#include <cmath>

namespace codesig {

namespace {

// A seal written by the platform holds a dozen short rules; these bounds
// leave ample room while keeping a crafted seal from costing much to match.
constexpr int kMaximumRules = 128;
constexpr int kMaximumPatternLength = 1024;

bool flag(const QVariantMap &rule, const QString &key)
{
    const QVariant value = rule.value(key);
    return value.typeId() == QMetaType::Bool && value.toBool();
}

std::optional<double> weight(const QVariantMap &rule)
{
    const QVariant value = rule.value(QStringLiteral("weight"));
    if (!value.isValid())
        return 1.0;
    if (value.typeId() != QMetaType::Double && value.typeId() != QMetaType::LongLong)
        return std::nullopt;
    const double number = value.toDouble();
    return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

// The seal's rules are POSIX extended expressions over the whole name: '$'
// ends the name and '.' takes any character. In Qt's (PCRE) syntax '$' would
// also match before a final line feed, so "Info.plist\n" would pass for the
// omitted "Info.plist": every '$' outside a bracket becomes \z. Inside a
// bracket a backslash is an ordinary character, as POSIX has it.
// Copies the bracket expression at posix[i] ('['); returns the index after it.
qsizetype copyBracket(const QString &posix, qsizetype i, QString &pattern)
{
    pattern += posix[i++];
    if (i < posix.size() && posix[i] == u'^')
        pattern += posix[i++];
    // A ']' first in the bracket is a member, not its end.
    if (i < posix.size() && posix[i] == u']') {
        pattern += QStringLiteral("\\]");
        ++i;
    }
    while (i < posix.size() && posix[i] != u']') {
        if (posix[i] == u'[' && i + 1 < posix.size() && QStringView(u":.=").contains(posix[i + 1])) {
            const qsizetype end = posix.indexOf(QString(posix[i + 1]) + u']', i + 2);
            const qsizetype stop = end < 0 ? posix.size() : end + 2;
            pattern += posix.mid(i, stop - i);
            i = stop;
            continue;
        }
        pattern += posix[i] == u'\\' ? QStringLiteral("\\\\") : QString(posix[i]);
        ++i;
    }
    if (i < posix.size())
        pattern += posix[i++];
    return i;
}

QString wholeNamePattern(const QString &posix)
{
    QString pattern;
    for (qsizetype i = 0; i < posix.size();) {
        if (posix[i] == u'[') {
            i = copyBracket(posix, i, pattern);
        } else if (posix[i] == u'\\' && i + 1 < posix.size()) {
            pattern += posix.mid(i, 2);
            i += 2;
        } else {
            pattern += posix[i] == u'$' ? QStringLiteral("\\z") : QString(posix[i]);
            ++i;
        }
    }
    return pattern;
}

std::optional<SealRule> readRule(const QString &pattern, const QVariant &value)
{
    if (pattern.size() > kMaximumPatternLength)
        return std::nullopt;
    SealRule rule;
    rule.pattern = QRegularExpression(wholeNamePattern(pattern), QRegularExpression::DontCaptureOption
                                                                    | QRegularExpression::DotMatchesEverythingOption);
    if (!rule.pattern.isValid())
        return std::nullopt;
    rule.pattern.optimize();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? std::optional<SealRule>(rule) : std::nullopt;
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap fields = value.toMap();
    const std::optional<double> ruleWeight = weight(fields);
    if (!ruleWeight)
        return std::nullopt;
    rule.weight = *ruleWeight;
    rule.omit = flag(fields, QStringLiteral("omit"));
    rule.optional = flag(fields, QStringLiteral("optional"));
    rule.nested = flag(fields, QStringLiteral("nested"));
    return rule;
}

} // namespace

const SealRule *SealRules::match(const QString &relativePath) const
{
    const SealRule *best = nullptr;
    for (const SealRule &rule : rules) {
        if ((!best || rule.weight > best->weight) && rule.pattern.match(relativePath).hasMatch())
            best = &rule;
    }
    return best;
}

std::optional<SealRules> readSealRules(const QVariant &value, QString &failure)
{
    if (value.typeId() != QMetaType::QVariantMap) {
        failure = QStringLiteral("the resource seal has no rules");
        return std::nullopt;
    }
    const QVariantMap map = value.toMap();
    if (map.size() > kMaximumRules) {
        failure = QStringLiteral("the resource seal has too many rules");
        return std::nullopt;
    }
    SealRules rules;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        std::optional<SealRule> rule = readRule(it.key(), it.value());
        if (!rule) {
            failure = QStringLiteral("the resource seal holds an unusable rule: %1").arg(it.key());
            return std::nullopt;
        }
        rules.rules.push_back(std::move(*rule));
    }
    return rules;
}

} // namespace codesig
