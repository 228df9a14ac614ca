#include "engine/field.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/tabledef.h"

namespace veranth::engine {

Field::Field(const QString& name, FieldType type, int size) {
    info_.name = name;
    info_.type = type;
    info_.size = size > 0 ? size : defaultFieldSize(type);
    info_.attributes = (type == FieldType::Text || type == FieldType::Memo || type == FieldType::Binary ||
                        type == FieldType::LongBinary)
                           ? field_attr::kVariable
                           : field_attr::kFixed;
}

void Field::requireNotStored(const char* property) const {
    auto table = table_.lock();
    if (table && table->isStored())
        throw EngineError(err::kPropertyReadOnly,
                          QStringLiteral("The property '%1' of a stored field is read-only.").arg(QLatin1String(property)));
}

void Field::changeStored(const std::function<void(FieldInfo&)>& change) {
    FieldInfo changed = info_;
    change(changed);
    auto table = table_.lock();
    if (table && table->isStored()) table->store().updateField(table->name(), changed);
    info_ = changed;
}

void Field::setName(const QString& name) {
    auto table = table_.lock();
    if (table && table->isStored() && name.compare(info_.name) != 0) {
        if (table->fields().contains(name) && name.compare(info_.name, Qt::CaseInsensitive) != 0)
            throw EngineError(err::kFieldDefinedTwice, name);
        table->store().renameField(table->name(), info_.name, name);
    }
    info_.name = name;
}

void Field::setType(FieldType type) {
    requireNotStored("Type");
    info_.type = type;
    info_.size = defaultFieldSize(type);
}

void Field::setSize(int size) {
    requireNotStored("Size");
    info_.size = size;
}

void Field::setAttributes(int attributes) {
    requireNotStored("Attributes");
    if ((attributes & field_attr::kAutoIncrement) && info_.type != FieldType::Long)
        throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("only a Long field can be an AutoIncrement field"));
    info_.attributes = attributes;
}

void Field::setRequired(bool required) {
    changeStored([&](FieldInfo& f) { f.required = required; });
}

void Field::setAllowZeroLength(bool allow) {
    changeStored([&](FieldInfo& f) { f.allowZeroLength = allow; });
}

void Field::setDefaultValue(const QString& value) {
    changeStored([&](FieldInfo& f) { f.defaultValue = value; });
}

void Field::setValidationRule(const QString& rule) {
    changeStored([&](FieldInfo& f) { f.validationRule = rule; });
}

void Field::setValidationText(const QString& text) {
    changeStored([&](FieldInfo& f) { f.validationText = text; });
}

void Field::setOrdinalPosition(int position) {
    changeStored([&](FieldInfo& f) { f.ordinalPosition = position; });
}

// Fields are read in tight loops: a check that the recordset still exists is enough, the
// engine being used from one thread per connection.
FieldValueSource* Field::source() const {
    if (!sourceRaw_)
        throw EngineError(err::kNotSupported, QStringLiteral("A field of a table design has no value; open a recordset."));
    if (source_.expired()) throw EngineError(err::kInvalidOperation, QStringLiteral("The recordset of this field is closed."));
    return sourceRaw_;
}

Value Field::value() const { return source()->fieldValue(column_); }

void Field::setValue(const Value& value) { source()->setFieldValue(column_, value); }

std::int64_t Field::fieldSize() const {
    const Value v = value();
    if (v.isNull()) return 0;
    if (v.type() == ValueType::Binary) return v.rawBinary().size();
    return toText(v).size();
}

Value Field::getChunk(std::int64_t offset, std::int64_t length) const {
    const Value v = value();
    if (v.isNull()) return v;
    if (offset < 0 || length < 0) throw EngineError(err::kInvalidArgument);
    if (v.type() == ValueType::Binary) return Value::binary(v.rawBinary().mid(offset, length));
    return Value(toText(v).mid(offset, length));
}

void Field::appendChunk(const Value& piece) {
    const Value current = value();
    if (current.type() == ValueType::Binary || piece.type() == ValueType::Binary) {
        const QByteArray head = current.isNull() ? QByteArray() : convertTo(current, ValueType::Binary).rawBinary();
        setValue(Value::binary(head + convertTo(piece, ValueType::Binary).rawBinary()));
        return;
    }
    setValue(Value(toDisplayText(current) + toDisplayText(piece)));
}

Properties Field::properties() {
    Properties p;
    const bool onRecordset = !source_.expired();
    p.add(Property(QStringLiteral("Name"), 10, [this] { return Value(name()); },
                   [this](const Value& v) { setName(toText(v)); }));
    p.add(Property(QStringLiteral("Type"), 3, [this] { return Value::integer(static_cast<std::int16_t>(type())); }));
    p.add(Property(QStringLiteral("Size"), 4, [this] { return Value::longValue(size()); }));
    p.add(Property(QStringLiteral("Attributes"), 4, [this] { return Value::longValue(attributes()); }));
    p.add(Property(QStringLiteral("OrdinalPosition"), 3,
                   [this] { return Value::integer(static_cast<std::int16_t>(ordinalPosition())); },
                   [this](const Value& v) { setOrdinalPosition(toInteger(v)); }));
    p.add(Property(QStringLiteral("CollatingOrder"), 4, [this] { return Value::longValue(collatingOrder()); }));
    p.add(Property(QStringLiteral("Required"), 1, [this] { return Value::boolean(required()); },
                   [this](const Value& v) { setRequired(toBoolean(v)); }));
    p.add(Property(QStringLiteral("AllowZeroLength"), 1, [this] { return Value::boolean(allowZeroLength()); },
                   [this](const Value& v) { setAllowZeroLength(toBoolean(v)); }));
    p.add(Property(QStringLiteral("DefaultValue"), 10, [this] { return Value(defaultValue()); },
                   [this](const Value& v) { setDefaultValue(toText(v)); }));
    p.add(Property(QStringLiteral("ValidationRule"), 10, [this] { return Value(validationRule()); },
                   [this](const Value& v) { setValidationRule(toText(v)); }));
    p.add(Property(QStringLiteral("ValidationText"), 10, [this] { return Value(validationText()); },
                   [this](const Value& v) { setValidationText(toText(v)); }));
    p.add(Property(QStringLiteral("SourceTable"), 10, [this] { return Value(sourceTable()); }));
    p.add(Property(QStringLiteral("SourceField"), 10, [this] { return Value(sourceField()); }));
    if (onRecordset)
        p.add(Property(QStringLiteral("Value"), 0, [this] { return value(); }, [this](const Value& v) { setValue(v); }));
    return p;
}

}  // namespace veranth::engine
