#include "engine/write_rules.h"

#include "engine/conversions.h"
#include "engine/criteria.h"
#include "engine/errors.h"
#include "engine/field_type.h"


#include <cmath>

namespace veranth::engine {

namespace {

void checkRule(const QString& rule, const QString& text, const QString& subject, const QString& implicitField,
               const Criteria::FieldLookup& lookup) {
    if (rule.trimmed().isEmpty()) return;
    const Criteria criteria = Criteria::parseRule(rule, implicitField);
    const Value result = criteria.evaluate(lookup);
    // Like a query's WHERE, a rule that comes out Null (a Null value) does not refuse.
    if (result.isNull() || toBoolean(result)) return;
    if (!text.trimmed().isEmpty()) throw EngineError::withDescription(err::kValidationRuleViolated, text);
    throw EngineError(err::kValidationRuleViolated, rule, subject);
}

}  // namespace

void checkFits(const FieldInfo& field, const Value& value) {
    if (field.type != FieldType::Text || value.isNull() || field.size <= 0) return;
    const QString text = toText(value);
    if (text.size() > field.size) throw EngineError(err::kFieldTooSmall, field.name, QString::number(field.size));
}

void checkRow(const TableInfo& table, const std::vector<Value>& values) {
    checkAssigned(table, values, std::vector<bool>(table.fields.size(), true));
}

bool hasRulesFor(const TableInfo& table, const std::vector<bool>& assigned) {
    if (!table.validationRule.trimmed().isEmpty()) return true;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        const FieldInfo& f = table.fields[i];
        if (!assigned[i]) continue;
        if (f.type == FieldType::Text || f.required || (isTextual(f.type) && !f.allowZeroLength) ||
            !f.validationRule.trimmed().isEmpty())
            return true;
    }
    return false;
}

void checkAssigned(const TableInfo& table, const std::vector<Value>& values, const std::vector<bool>& assigned) {
    auto lookup = [&](const QString& name) -> Value {
        for (size_t i = 0; i < table.fields.size(); ++i)
            if (table.fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return values[i];
        throw EngineError(err::kItemNotFound, name);
    };
    for (size_t i = 0; i < table.fields.size(); ++i) {
        if (!assigned[i]) continue;
        const FieldInfo& f = table.fields[i];
        const Value& v = values[i];
        checkFits(f, v);
        if (v.isNull()) {
            if (f.required && !f.isAutoIncrement()) throw EngineError(err::kRequiredIsNull, f.name);
        } else if (isTextual(f.type) && !f.allowZeroLength && toText(v).isEmpty()) {
            throw EngineError(err::kZeroLengthNotAllowed, f.name);
        }
        checkRule(f.validationRule, f.validationText, table.name + QLatin1Char('.') + f.name, f.name, lookup);
    }
    checkRule(table.validationRule, table.validationText, table.name, QString(), lookup);
}

Value defaultValueFor(const FieldInfo& field) {
    const QString text = field.defaultValue.trimmed();
    if (text.isEmpty()) return Value::null();
    const QString upper = text.toUpper();
    Value raw;
    if (upper == QLatin1String("DATE()")) raw = Value::date(std::trunc(currentDateSerial()));
    else if (upper == QLatin1String("NOW()")) raw = Value::date(currentDateSerial());
    else if (upper == QLatin1String("NULL")) return Value::null();
    else if (text.size() >= 2 && (text.startsWith(QLatin1Char('"')) || text.startsWith(QLatin1Char('\''))) &&
             text.endsWith(text[0]))
        raw = Value(text.mid(1, text.size() - 2));
    else if (text.size() >= 2 && text.startsWith(QLatin1Char('#')) && text.endsWith(QLatin1Char('#')))
        raw = Value(text.mid(1, text.size() - 2));
    else
        raw = Value(text);
    try {
        return coerceForField(raw, field.type, field.name);
    } catch (const EngineError&) {
        // An expression this engine does not evaluate: leave the field empty rather than
        // refusing every new row.
        return Value::null();
    }
}

}  // namespace veranth::engine
