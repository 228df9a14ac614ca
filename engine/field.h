#pragma once

#include "engine/property.h"
#include "engine/schema.h"
#include "engine/value.h"

#include <memory>

namespace veranth::engine {

class TableDef;

// What a recordset offers the fields it hands out: the current values and the edit buffer.
class FieldValueSource {
public:
    virtual ~FieldValueSource() = default;
    virtual Value fieldValue(int column) = 0;
    virtual void setFieldValue(int column, const Value& value) = 0;
};

// A field of a table design or of a recordset. Design properties come from the catalog;
// on a recordset's field Value reads the current row and writes the edit buffer.
class Field {
public:
    Field(const QString& name, FieldType type, int size = 0);
    explicit Field(FieldInfo info) : info_(std::move(info)) {}

    const QString& name() const { return info_.name; }
    FieldType type() const { return info_.type; }
    int size() const { return info_.size; }
    int attributes() const { return info_.attributes; }
    bool required() const { return info_.required; }
    bool allowZeroLength() const { return info_.allowZeroLength; }
    const QString& defaultValue() const { return info_.defaultValue; }
    const QString& validationRule() const { return info_.validationRule; }
    const QString& validationText() const { return info_.validationText; }
    int ordinalPosition() const { return info_.ordinalPosition; }
    int collatingOrder() const { return 1033; }  // the general (case-insensitive) order
    const QString& sourceTable() const { return info_.sourceTable; }
    const QString& sourceField() const { return info_.sourceField; }
    const FieldInfo& info() const { return info_; }

    // Before the field is part of a stored table every property may be set; afterwards
    // Type, Size and Attributes are fixed and the rest is written to the table at once.
    void setName(const QString& name);
    void setType(FieldType type);
    void setSize(int size);
    void setAttributes(int attributes);
    void setRequired(bool required);
    void setAllowZeroLength(bool allow);
    void setDefaultValue(const QString& value);
    void setValidationRule(const QString& rule);
    void setValidationText(const QString& text);
    void setOrdinalPosition(int position);

    // Recordset fields only (3251 on a design field).
    Value value() const;
    void setValue(const Value& value);
    // Length of a Memo or binary value, in characters or bytes.
    std::int64_t fieldSize() const;
    Value getChunk(std::int64_t offset, std::int64_t length) const;
    void appendChunk(const Value& piece);

    Properties properties();

    // Engine side.
    void attachToTable(std::weak_ptr<TableDef> table) { table_ = std::move(table); }
    void bindToRecordset(const std::shared_ptr<FieldValueSource>& source, int column) {
        source_ = source;
        sourceRaw_ = source.get();
        column_ = column;
    }

private:
    void changeStored(const std::function<void(FieldInfo&)>& change);
    void requireNotStored(const char* property) const;
    FieldValueSource* source() const;

    FieldInfo info_;
    std::weak_ptr<TableDef> table_;
    std::weak_ptr<FieldValueSource> source_;  // watches the recordset's lifetime
    FieldValueSource* sourceRaw_ = nullptr;
    int column_ = -1;
};

}  // namespace veranth::engine
