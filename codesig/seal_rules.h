#pragma once
// The rules of a resource seal ("rules2"): POSIX extended expressions over
// whole paths below the bundle's content root ('$' ends the path, never a line
// within it), each saying whether a matching file is left out of the seal
// (omit), may be absent (optional) or is code checked in its own right (nested). The
// heaviest matching rule decides; a path no rule matches is not sealed.

#include <QRegularExpression>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

namespace codesig {

struct SealRule {
    QRegularExpression pattern;
    double weight = 1;
    bool omit = false;
    bool optional = false;
    bool nested = false;
};

struct SealRules {
    std::vector<SealRule> rules;

    // The rule deciding for relativePath, or nullptr when none matches.
    const SealRule *match(const QString &relativePath) const;
};

// The rules of a seal's rules dictionary, or nothing (with why in failure)
// when it is not a dictionary of well-formed rules.
std::optional<SealRules> readSealRules(const QVariant &value, QString &failure);

} // namespace codesig
