#include "engine/isam/row_selection.h"

#include "engine/errors.h"
#include "engine/value_ops.h"

#include <algorithm>
#include <numeric>

namespace veranth::engine::isam {

namespace {

int columnOf(const TableInfo& design, QString name) {
    name = name.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) name = name.mid(1, name.size() - 2);
    for (size_t i = 0; i < design.fields.size(); ++i)
        if (design.fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    throw EngineError(err::kItemNotFound, name);
}

std::vector<RowSelection::OrderKey> parseSort(const TableInfo& design, const QString& sort) {
    std::vector<RowSelection::OrderKey> keys;
    for (QString term : sort.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        term = term.trimmed();
        if (term.isEmpty()) continue;
        bool descending = false;
        for (const char* word : {" DESC", " ASC"}) {
            const QString w = QString::fromLatin1(word);
            if (term.endsWith(w, Qt::CaseInsensitive)) {
                descending = w == QLatin1String(" DESC");
                term.chop(w.size());
            }
        }
        keys.push_back({columnOf(design, term), descending});
    }
    return keys;
}

}  // namespace

int compareForOrder(const Value& a, const Value& b) {
    if (a.isMissing() || b.isMissing()) return (a.isMissing() ? 0 : 1) - (b.isMissing() ? 0 : 1);
    return compare(a, b).value_or(0);
}

RowSelection::RowSelection(const TableInfo& design, const QString& filter, const QString& sort)
    : filterText_(filter.trimmed()), sortText_(sort.trimmed()) {
    if (!filterText_.isEmpty()) {
        criteria_ = Criteria::parse(filterText_);
        for (const QString& name : criteria_->fieldNames()) columnOf(design, name);
    }
    order_ = parseSort(design, sortText_);
}

RowSelection RowSelection::ofIndex(const TableInfo& design, const RowSelection& base, const IndexInfo& index) {
    RowSelection s = base;
    s.order_.clear();
    for (const auto& key : index.keys) s.order_.push_back({columnOf(design, key.field), key.descending});
    return s;
}

RowSelection RowSelection::narrowed(const TableInfo& design, const QString& filter, const QString& sort) const {
    QString combined = filterText_;
    if (!filter.trimmed().isEmpty())
        combined = combined.isEmpty() ? filter : QStringLiteral("(%1) And (%2)").arg(combined, filter);
    RowSelection s(design, combined, sort.trimmed().isEmpty() ? sortText_ : sort);
    if (sort.trimmed().isEmpty() && sortText_.isEmpty()) s.order_ = order_;
    return s;
}

bool RowSelection::matches(const TableInfo& design, const std::vector<Value>& row) const {
    if (!criteria_) return true;
    return criteria_->matches([&](const QString& name) { return row[static_cast<size_t>(columnOf(design, name))]; });
}

int RowSelection::compareRows(const std::vector<Value>& a, const std::vector<Value>& b) const {
    for (const auto& key : order_) {
        const int c = compareForOrder(a[static_cast<size_t>(key.column)], b[static_cast<size_t>(key.column)]);
        if (c != 0) return key.descending ? -c : c;
    }
    return 0;
}

std::vector<std::int64_t> RowSelection::chooseRecords(TableFile& file) const {
    std::vector<std::int64_t> records;
    std::vector<std::vector<Value>> rows;
    std::vector<Value> row;
    const std::int64_t count = file.recordCount();
    for (std::int64_t r = 0; r < count; ++r) {
        if (file.isDeleted(r)) continue;
        if (criteria_ || !order_.empty()) file.read(r, row);
        if (!matches(file.design(), row)) continue;
        records.push_back(r);
        if (!order_.empty()) rows.push_back(row);
    }
    if (order_.empty()) return records;
    std::vector<size_t> positions(records.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), [&](size_t x, size_t y) { return compareRows(rows[x], rows[y]) < 0; });
    std::vector<std::int64_t> ordered;
    ordered.reserve(records.size());
    for (size_t p : positions) ordered.push_back(records[p]);
    return ordered;
}

}  // namespace veranth::engine::isam
