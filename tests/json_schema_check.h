#pragma once
// A JSON Schema (draft 2020-12) check for this project's schemas. It knows
// the keywords they use and refuses a schema with any other, so a rule is
// never passed by being ignored.

#include <QJsonObject>
#include <QStringList>

// Each violation as "<where>: <what>"; empty when the value conforms.
QStringList schemaViolations(const QJsonObject &schema, const QJsonValue &value);
