#pragma once

#include "engine/criteria.h"
#include "engine/isam/table_file.h"

#include <QString>

#include <optional>
#include <vector>

namespace veranth::engine::isam {

// A recordset's choice of rows from a table file: a filter (criteria text) and an order
// (Sort text "Name DESC, City" or an index's keys), applied by reading the records.
class RowSelection {
public:
    struct OrderKey {
        int column = 0;
        bool descending = false;
    };

    RowSelection() = default;
    // 3075 for a filter that is no expression, 3265 for a sort field the table lacks.
    RowSelection(const TableInfo& design, const QString& filter, const QString& sort);
    static RowSelection ofIndex(const TableInfo& design, const RowSelection& base, const IndexInfo& index);

    // Another selection inside this one (Filter and Sort of an open set).
    RowSelection narrowed(const TableInfo& design, const QString& filter, const QString& sort) const;
    bool isPlain() const { return !criteria_ && order_.empty(); }
    bool hasOrder() const { return !order_.empty(); }
    const std::vector<OrderKey>& order() const { return order_; }

    bool matches(const TableInfo& design, const std::vector<Value>& row) const;
    // The live records that match, in the chosen order.
    std::vector<std::int64_t> chooseRecords(TableFile& file) const;
    // <0, 0, >0 for two rows by the order (Null first).
    int compareRows(const std::vector<Value>& a, const std::vector<Value>& b) const;

private:
    QString filterText_;
    QString sortText_;
    std::optional<Criteria> criteria_;
    std::vector<OrderKey> order_;
};

// Null before any value, then Basic comparison.
int compareForOrder(const Value& a, const Value& b);

}  // namespace veranth::engine::isam
