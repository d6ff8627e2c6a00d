#include "codesig/requirement.h"

#include <openssl/objects.h>

#include <QRegularExpression>

namespace codesig {
namespace {

constexpr std::uint32_t requirementsMagic = 0xfade0c01;
constexpr std::uint32_t requirementMagic = 0xfade0c00;
constexpr std::uint32_t designatedType = 3;
constexpr std::uint32_t expressionKind = 1;
constexpr int maxDepth = 64;

enum Op : std::uint32_t {
    opFalse, opTrue, opIdent, opAppleAnchor, opAnchorHash, opInfoKeyValue, opAnd, opOr, opCDHash, opNot,
    opInfoKeyField, opCertField, opTrustedCert, opTrustedCerts, opCertGeneric, opAppleGenericAnchor,
    opEntitlementField, opCertPolicy, opNamedAnchor, opNamedCode, opPlatform, opNotarized,
    opCertFieldDate, opLegacyDevID,
};
enum Match : std::uint32_t { matchExists, matchEqual, matchContains, matchBeginsWith, matchEndsWith,
    matchLessThan, matchGreaterThan, matchLessEqual, matchGreaterEqual, matchOn, matchBefore,
    matchAfter, matchOnOrBefore, matchOnOrAfter, matchAbsent };

template <typename T, typename F>
auto mapped(const std::optional<T> &value, F function) -> std::optional<decltype(function(*value))>
{
    if (!value)
        return std::nullopt;
    return function(*value);
}

struct Node {
    QString text;
    bool value = false;
    bool isOr = false; // printed in parentheses inside an "and"
};

QString quoted(const QString &value)
{
    static const QRegularExpression bare(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (bare.match(value).hasMatch())
        return value;
    QString escaped = value;
    escaped.replace('\\', QStringLiteral("\\\\")).replace('"', QStringLiteral("\\\""));
    return '"' + escaped + '"';
}

QString slotName(std::int32_t slot)
{
    return slot == 0 ? QStringLiteral("leaf") : slot == -1 ? QStringLiteral("root") : QString::number(slot);
}

class Reader {
public:
    Reader(ByteView bytes, const RequirementContext &context) : m_bytes(bytes), m_context(context) {}

    std::optional<Node> expression(int depth)
    {
        const auto op = word();
        if (!op || depth > maxDepth)
            return std::nullopt;
        switch (*op) {
        case opFalse: return Node{QStringLiteral("never"), false};
        case opTrue: return Node{QStringLiteral("always"), true};
        case opIdent: return mapped(text(), [&](const QString &id) {
            return Node{QStringLiteral("identifier ") + quoted(id), id == m_context.identifier}; });
        case opAppleGenericAnchor: return Node{QStringLiteral("anchor apple generic"), m_context.anchoredAtAppleRoot};
        case opAppleAnchor: return unsupported(QStringLiteral("anchor apple"));
        case opAnd: case opOr: return junction(*op == opAnd, depth);
        case opNot: return mapped(expression(depth + 1), [](const Node &inner) {
            return Node{QStringLiteral("! ") + (inner.isOr ? '(' + inner.text + ')' : inner.text), !inner.value}; });
        case opCDHash: return mapped(data(), [&](const QByteArray &hash) {
            return Node{QStringLiteral("cdhash H\"%1\"").arg(QString::fromLatin1(hash.toHex())),
                        m_context.cdHashes.contains(hash.left(20))}; });
        case opCertField: return certificateField();
        case opCertGeneric: return certificateExtension();
        default: return unevaluated(*op);
        }
    }

    QStringList unsupportedForms;

private:
    std::optional<std::uint32_t> word()
    {
        const auto value = m_bytes.be32(m_position);
        m_position += 4;
        return value;
    }
    std::optional<QByteArray> data()
    {
        const auto length = word();
        const auto bytes = length ? m_bytes.sub(m_position, *length) : std::nullopt;
        if (!bytes)
            return std::nullopt;
        m_position += (std::uint64_t(*length) + 3) & ~std::uint64_t(3);
        return bytes->toByteArray();
    }
    std::optional<QString> text() { return mapped(data(), [](const QByteArray &d) { return QString::fromUtf8(d); }); }

    std::optional<Node> unsupported(const QString &form)
    {
        unsupportedForms << form;
        return Node{form, false};
    }

    std::optional<Node> junction(bool isAnd, int depth)
    {
        auto left = expression(depth + 1);
        auto right = left ? expression(depth + 1) : std::nullopt;
        if (!right)
            return std::nullopt;
        const auto wrap = [isAnd](const Node &n) { return isAnd && n.isOr ? '(' + n.text + ')' : n.text; };
        const QString word = isAnd ? QStringLiteral(" and ") : QStringLiteral(" or ");
        return Node{wrap(*left) + word + wrap(*right),
                    isAnd ? left->value && right->value : left->value || right->value, !isAnd};
    }

    // The text of a match operation and whether it holds for value (nullopt: absent).
    std::optional<std::pair<QString, bool>> match(const std::optional<QString> &value, bool &understood)
    {
        const auto kind = word();
        if (!kind)
            return std::nullopt;
        understood = *kind == matchExists || *kind == matchEqual || *kind == matchAbsent;
        if (*kind == matchExists)
            return std::pair{QStringLiteral("/* exists */"), value.has_value()};
        if (*kind == matchAbsent)
            return std::pair{QStringLiteral("/* absent */"), !value.has_value()};
        if (*kind >= matchOn && *kind <= matchOnOrAfter) {
            m_position += 8; // a date: never evaluated here
            return std::pair{QStringLiteral("<date>"), false};
        }
        static const char *const operators[] = {"", "= %1", "~ %1", "= %1*", "= *%1", "< %1", "> %1", "<= %1", ">= %1"};
        const auto operand = text();
        if (!operand || *kind > matchGreaterEqual)
            return std::nullopt;
        return std::pair{QString::fromLatin1(operators[*kind]).arg(quoted(*operand)), value == *operand};
    }

    X509 *certificateAt(std::int32_t slot) const
    {
        const auto &chain = m_context.chain;
        if (slot == -1)
            return m_context.anchoredAtAppleRoot && !chain.empty() ? chain.back().get() : nullptr;
        return slot >= 0 && std::size_t(slot) < chain.size() ? chain[std::size_t(slot)].get() : nullptr;
    }

    std::optional<Node> certificateField()
    {
        static const QList<std::pair<QString, int>> fields = {
            {QStringLiteral("subject.OU"), NID_organizationalUnitName}, {QStringLiteral("subject.CN"), NID_commonName},
            {QStringLiteral("subject.O"), NID_organizationName}, {QStringLiteral("subject.C"), NID_countryName}};
        const auto slot = word();
        const auto field = slot ? text() : std::nullopt;
        if (!field)
            return std::nullopt;
        X509 *certificate = certificateAt(std::int32_t(*slot));
        std::optional<QString> value;
        int nid = 0;
        for (const auto &[name, id] : fields)
            nid = name == *field ? id : nid;
        if (certificate && nid)
            if (QString entry = subjectEntry(certificate, nid); !entry.isEmpty())
                value = entry;
        bool understood = false;
        const auto matched = match(value, understood);
        if (!matched)
            return std::nullopt;
        const QString form = QStringLiteral("certificate %1[%2] %3").arg(slotName(std::int32_t(*slot)), *field, matched->first);
        return (understood && nid) ? std::optional(Node{form, matched->second}) : unsupported(form);
    }

    std::optional<Node> certificateExtension()
    {
        const auto slot = word();
        const auto oid = slot ? data() : std::nullopt;
        if (!oid)
            return std::nullopt;
        const QString dotted = dottedOid(*oid);
        X509 *certificate = certificateAt(std::int32_t(*slot));
        std::optional<QString> value;
        ASN1_OBJECT *object = OBJ_txt2obj(dotted.toLatin1().constData(), 1);
        if (certificate && object && X509_get_ext_by_OBJ(certificate, object, -1) >= 0)
            value = QString();
        ASN1_OBJECT_free(object);
        bool understood = false;
        const auto matched = match(value, understood);
        if (!matched)
            return std::nullopt;
        const QString form = QStringLiteral("certificate %1[field.%2] %3").arg(slotName(std::int32_t(*slot)), dotted, matched->first);
        const bool existence = matched->first.startsWith(QLatin1String("/*"));
        return (understood && existence) ? std::optional(Node{form, matched->second}) : unsupported(form);
    }

    static QString dottedOid(const QByteArray &der)
    {
        QStringList parts;
        std::uint64_t value = 0;
        for (int i = 0; i < der.size(); ++i) {
            value = (value << 7) | (std::uint8_t(der[i]) & 0x7f);
            if (std::uint8_t(der[i]) & 0x80)
                continue;
            if (parts.isEmpty())
                parts << QString::number(std::min<std::uint64_t>(value / 40, 2)) << QString::number(value - std::min<std::uint64_t>(value / 40, 2) * 40);
            else
                parts << QString::number(value);
            value = 0;
        }
        return parts.join('.');
    }

    // Forms read (so the text is whole) but never judged here.
    std::optional<Node> unevaluated(std::uint32_t op)
    {
        bool understood = false;
        const auto matchText = [&] { return mapped(match(std::nullopt, understood), [](const auto &m) { return m.first; }); };
        const auto slot = [&] { return mapped(word(), [](std::uint32_t s) { return slotName(std::int32_t(s)); }); };
        std::optional<QString> form;
        switch (op) {
        case opAnchorHash: {
            const auto at = slot(); const auto hash = data();
            if (at && hash) form = QStringLiteral("certificate %1 = H\"%2\"").arg(*at, QString::fromLatin1(hash->toHex()));
            break;
        }
        case opInfoKeyValue: {
            const auto key = text(); const auto value = text();
            if (key && value) form = QStringLiteral("info[%1] = %2").arg(*key, quoted(*value));
            break;
        }
        case opInfoKeyField: case opEntitlementField: {
            const auto key = text(); const auto matched = key ? matchText() : std::nullopt;
            if (matched) form = QStringLiteral("%1[%2] %3").arg(op == opInfoKeyField ? "info" : "entitlement", *key, *matched);
            break;
        }
        case opCertPolicy: case opCertFieldDate: {
            const auto at = slot(); const auto oid = data(); const auto matched = oid ? matchText() : std::nullopt;
            if (at && matched) form = QStringLiteral("certificate %1[%2.%3] %4")
                .arg(*at, op == opCertPolicy ? "policy" : "timestamp", dottedOid(*oid), *matched);
            break;
        }
        case opTrustedCert: form = mapped(slot(), [](const QString &at) { return QStringLiteral("certificate %1 trusted").arg(at); }); break;
        case opTrustedCerts: form = QStringLiteral("anchor trusted"); break;
        case opNamedAnchor: form = mapped(text(), [](const QString &n) { return QStringLiteral("anchor apple ") + n; }); break;
        case opNamedCode: form = mapped(text(), [](const QString &n) { return '(' + n + ')'; }); break;
        case opPlatform: form = mapped(word(), [](std::uint32_t p) { return QStringLiteral("platform = %1").arg(p); }); break;
        case opNotarized: form = QStringLiteral("notarized"); break;
        case opLegacyDevID: form = QStringLiteral("legacy"); break;
        default: break;
        }
        return form ? unsupported(*form) : std::nullopt;
    }

    ByteView m_bytes;
    const RequirementContext &m_context;
    std::uint64_t m_position = 12;
};

} // namespace

std::optional<ByteView> designatedRequirement(ByteView requirementsBlob)
{
    const auto magic = requirementsBlob.be32(0);
    const auto count = requirementsBlob.be32(8);
    if (!magic || *magic != requirementsMagic || !count)
        return std::nullopt;
    for (std::uint32_t i = 0; i < *count && i < 16; ++i) {
        const auto type = requirementsBlob.be32(12 + i * 8);
        const auto offset = requirementsBlob.be32(16 + i * 8);
        const auto length = offset ? requirementsBlob.be32(std::uint64_t(*offset) + 4) : std::nullopt;
        if (type && *type == designatedType && length)
            return requirementsBlob.sub(*offset, *length);
    }
    return std::nullopt;
}

RequirementCheck checkRequirement(ByteView requirement, const RequirementContext &context)
{
    RequirementCheck check;
    const auto magic = requirement.be32(0);
    const auto kind = requirement.be32(8);
    Reader reader(requirement, context);
    const auto node = (magic && *magic == requirementMagic && kind && *kind == expressionKind)
        ? reader.expression(0) : std::nullopt;
    if (!node) {
        check.failures << QStringLiteral("the designated requirement is damaged or uses a form this host cannot read");
        return check;
    }
    check.text = node->text;
    for (const QString &form : reader.unsupportedForms)
        check.failures << QStringLiteral("the designated requirement uses %1, which is not evaluated on this host").arg(form);
    if (check.failures.isEmpty() && !node->value)
        check.failures << QStringLiteral("the designated requirement is not satisfied");
    return check;
}

} // namespace codesig
