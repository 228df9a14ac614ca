#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "engine/sql/catalog_view.h"
#include "engine/sql/translation.h"

namespace veranth::engine::sql {

// A SELECT * over one stored table (WHERE and ORDER BY at most), which makes an updatable,
// keyed dynaset. The texts use ?1..?N for `parameters`, then `constants`.
struct SingleTableSelect {
    QString table;
    QString where;    // may be empty
    QString orderBy;  // may be empty
    std::vector<StatementParameter> parameters;
    BoundValueList constants;
};

// The dialect's translator over one database's catalog.
class DialectTranslator {
public:
    explicit DialectTranslator(std::shared_ptr<const CatalogView> catalog) : catalog_(std::move(catalog)) {}

    // Raises the engine's error for a statement that does not parse or does not fit the catalog.
    Translation translate(const QString& statement) const;
    // A Filter or criteria expression over one table's fields, as a SQLite condition.
    Translation translateCondition(const QString& expression, const TableInfo& table) const;
    // When the statement is a plain SELECT * over one stored table of the catalog.
    std::optional<SingleTableSelect> singleTableSelect(const QString& statement) const;

private:
    std::shared_ptr<const CatalogView> catalog_;
};

}  // namespace veranth::engine::sql
