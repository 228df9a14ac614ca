#pragma once

#include <QString>
#include <memory>

#include "engine/sql/catalog_view.h"
#include "engine/sql/translation.h"
#include "engine/statement_translator.h"

namespace veranth::engine::sql {

// The dialect's translator over one database's catalog. translate() is the full result
// (bound constants, result column types, schema steps); the StatementTranslator methods serve
// today's text-only seam, with literals written as escaped SQLite literals.
class DialectTranslator : public StatementTranslator {
public:
    explicit DialectTranslator(std::shared_ptr<const CatalogView> catalog) : catalog_(std::move(catalog)) {}

    // Raises the engine's error for a statement that does not parse or does not fit the catalog.
    Translation translate(const QString& statement) const;
    // A Filter or criteria expression over one table's fields, as a SQLite condition.
    Translation translateCondition(const QString& expression, const TableInfo& table) const;

    QString toSqlite(const QString& statement) const override;
    std::optional<SingleTableSelect> singleTableSelect(const QString& statement) const override;

private:
    std::shared_ptr<const CatalogView> catalog_;
};

}  // namespace veranth::engine::sql
