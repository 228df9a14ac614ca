#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "engine/sql/sql_type.h"

namespace veranth::engine::sql {

struct SourceColumn {
    QString name;  // as stored
    SqlType type = SqlType::Variant;
    std::optional<FieldType> field;
    int size = 0;
};

// One table, stored query or derived table of a FROM clause.
struct Source {
    QString key;        // what the statement calls it: the alias, else the table's name
    QString qualifier;  // what the SQLite text calls it
    std::vector<SourceColumn> columns;

    const SourceColumn* column(const QString& name) const;
};

// The names visible at one level of a query; an inner query's scope has the outer one as parent.
class Scope {
public:
    explicit Scope(const Scope* parent = nullptr) : parent_(parent) {}

    void add(Source source) { sources_.push_back(std::move(source)); }
    const std::vector<Source>& sources() const { return sources_; }
    const Scope* parent() const { return parent_; }
    const Source* source(const QString& key) const;

    struct Resolved {
        const Source* source;
        const SourceColumn* column;
        bool qualify;  // false when the column is unambiguous without its table's name
    };
    // A column named `parts` (column, or table.column), searched here and then outward.
    // Raises the engine's error when an unqualified name fits more than one table here.
    std::optional<Resolved> resolve(const QStringList& parts) const;

private:
    const Scope* parent_;
    std::vector<Source> sources_;
};

}  // namespace veranth::engine::sql
