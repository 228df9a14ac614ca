#include "engine/isam/file_row_rules.h"

#include "engine/errors.h"
#include "engine/isam/row_selection.h"
#include "engine/write_rules.h"

namespace veranth::engine::isam {

namespace {

int columnOf(const TableInfo& design, const QString& name) {
    for (size_t i = 0; i < design.fields.size(); ++i)
        if (design.fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    throw EngineError(err::kItemNotFound, name);
}

void fillCounters(TableFile& file, std::vector<Value>& values) {
    const TableInfo& design = file.design();
    std::vector<Value> row;
    for (size_t c = 0; c < design.fields.size(); ++c) {
        if (!design.fields[c].isAutoIncrement() || !values[c].isNull()) continue;
        std::int64_t highest = 0;
        for (std::int64_t r = 0; r < file.recordCount(); ++r) {
            if (file.isDeleted(r)) continue;
            file.read(r, row);
            if (!row[c].isNull()) highest = std::max<std::int64_t>(highest, row[c].rawInteger());
        }
        values[c] = Value::longValue(static_cast<std::int32_t>(highest + 1));
    }
}

void checkUnique(TableFile& file, const std::vector<Value>& values, std::optional<std::int64_t> self) {
    const TableInfo& design = file.design();
    std::vector<Value> row;
    for (const IndexInfo& index : design.indexes) {
        std::vector<int> columns;
        bool anyNull = false, allNull = true;
        for (const auto& key : index.keys) {
            columns.push_back(columnOf(design, key.field));
            const bool isNull = values[static_cast<size_t>(columns.back())].isNull();
            anyNull = anyNull || isNull;
            allNull = allNull && isNull;
        }
        if ((index.primary || index.required) && anyNull) throw EngineError(err::kRequiredIsNull, index.keys.front().field);
        if (!(index.unique || index.primary) || allNull || (anyNull && index.ignoreNulls)) continue;
        for (std::int64_t r = 0; r < file.recordCount(); ++r) {
            if (r == self || file.isDeleted(r)) continue;
            file.read(r, row);
            bool same = true;
            for (int c : columns) same = same && compareForOrder(row[static_cast<size_t>(c)], values[static_cast<size_t>(c)]) == 0;
            if (same) throw EngineError(err::kDuplicateKey, design.name);
        }
    }
}

// Whether any field or the table has a rule beyond the sizes of its Text fields.
bool hasRules(const TableInfo& design) {
    if (!design.validationRule.trimmed().isEmpty()) return true;
    for (const auto& f : design.fields)
        if (f.required || (isTextual(f.type) && !f.allowZeroLength) || !f.validationRule.trimmed().isEmpty()) return true;
    return false;
}

}  // namespace

void prepareFileRow(TableFile& file, std::vector<Value>& values, std::optional<std::int64_t> self) {
    const TableInfo& design = file.design();
    values.resize(design.fields.size());
    if (!self) fillCounters(file, values);
    // Most tables read from other programs' files have no rules: only the sizes are checked.
    if (hasRules(design)) {
        checkRow(design, values);
    } else {
        for (size_t i = 0; i < design.fields.size(); ++i)
            if (design.fields[i].type == FieldType::Text) checkFits(design.fields[i], values[i]);
    }
    checkUnique(file, values, self);
}

}  // namespace veranth::engine::isam
