#include "json_schema_check.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cmath>

namespace {

const QStringList annotations{"$schema", "$id", "$defs", "title", "description", "format"};

bool hasType(const QJsonValue &value, const QString &type)
{
    if (type == QLatin1String("integer"))
        return value.isDouble() && std::floor(value.toDouble()) == value.toDouble();
    static const QHash<QString, QJsonValue::Type> types{{"null", QJsonValue::Null},     {"boolean", QJsonValue::Bool},
                                                       {"number", QJsonValue::Double}, {"string", QJsonValue::String},
                                                       {"array", QJsonValue::Array},   {"object", QJsonValue::Object}};
    return types.value(type, QJsonValue::Undefined) == value.type();
}

class SchemaCheck {
public:
    explicit SchemaCheck(const QJsonObject &root) : m_root(root) {}
    QStringList errors;

    void check(const QJsonObject &schema, const QJsonValue &value, const QString &at)
    {
        for (auto it = schema.begin(); it != schema.end(); ++it) {
            if (it.key() == QLatin1String("additionalProperties") && it.value() == QJsonValue(false))
                onlyKnownProperties(schema.value("properties").toObject(), value, at);
            else if (!annotations.contains(it.key()))
                keyword(it.key(), it.value(), value, at);
        }
    }

private:
    QJsonObject m_root;

    void fail(const QString &at, const QString &what) { errors << at + QStringLiteral(": ") + what; }

    void onlyKnownProperties(const QJsonObject &properties, const QJsonValue &value, const QString &at)
    {
        for (const QString &key : value.toObject().keys()) {
            if (!properties.contains(key))
                fail(at, QStringLiteral("unexpected %1").arg(key));
        }
    }

    void keyword(const QString &name, const QJsonValue &rule, const QJsonValue &value, const QString &at)
    {
        const QJsonObject object = value.toObject();
        if (name == QLatin1String("type")) {
            const QJsonArray types = rule.isArray() ? rule.toArray() : QJsonArray{rule};
            if (std::none_of(types.begin(), types.end(), [&](const QJsonValue &t) { return hasType(value, t.toString()); }))
                fail(at, QStringLiteral("not of type %1").arg(QString::fromUtf8(QJsonDocument(types).toJson(QJsonDocument::Compact))));
        } else if (name == QLatin1String("const") || name == QLatin1String("enum")) {
            const QJsonArray allowed = name == QLatin1String("enum") ? rule.toArray() : QJsonArray{rule};
            if (!allowed.contains(value))
                fail(at, QStringLiteral("value not allowed"));
        } else if (name == QLatin1String("required")) {
            for (const QJsonValue &key : rule.toArray()) {
                if (value.isObject() && !object.contains(key.toString()))
                    fail(at, QStringLiteral("missing %1").arg(key.toString()));
            }
        } else if (name == QLatin1String("properties")) {
            const QJsonObject properties = rule.toObject();
            for (auto it = properties.begin(); it != properties.end(); ++it) {
                if (object.contains(it.key()))
                    check(it.value().toObject(), object.value(it.key()), at + QLatin1Char('/') + it.key());
            }
        } else if (name == QLatin1String("items")) {
            const QJsonArray items = value.toArray();
            for (qsizetype i = 0; i < items.size(); ++i)
                check(rule.toObject(), items.at(i), at + QLatin1Char('/') + QString::number(i));
        } else if (name == QLatin1String("$ref") && rule.toString().startsWith(QLatin1String("#/$defs/"))) {
            check(m_root.value("$defs").toObject().value(rule.toString().mid(8)).toObject(), value, at);
        } else if (name == QLatin1String("anyOf")) {
            const QJsonArray options = rule.toArray();
            if (std::none_of(options.begin(), options.end(), [&](const QJsonValue &option) {
                    SchemaCheck alone(m_root);
                    alone.check(option.toObject(), value, at);
                    return alone.errors.isEmpty();
                }))
                fail(at, QStringLiteral("matches none of anyOf"));
        } else if (name == QLatin1String("minimum") || name == QLatin1String("maximum")) {
            const bool below = value.toDouble() < rule.toDouble();
            if (value.isDouble() && (name == QLatin1String("minimum") ? below : value.toDouble() > rule.toDouble()))
                fail(at, QStringLiteral("out of range"));
        } else if (name == QLatin1String("pattern")) {
            if (value.isString() && !QRegularExpression(rule.toString()).match(value.toString()).hasMatch())
                fail(at, QStringLiteral("does not match %1").arg(rule.toString()));
        } else {
            fail(at, QStringLiteral("schema keyword %1 is not checked here").arg(name));
        }
    }
};

} // namespace

QStringList schemaViolations(const QJsonObject &schema, const QJsonValue &value)
{
    SchemaCheck check(schema);
    check.check(schema, value, QStringLiteral("#"));
    return check.errors;
}
