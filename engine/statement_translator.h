#pragma once

#include <QString>

#include <optional>

namespace veranth::engine {

// A SELECT over one stored table, which makes an updatable, keyed dynaset.
struct SingleTableSelect {
    QString table;
    QString where;    // SQLite text, may be empty
    QString orderBy;  // SQLite text, may be empty
};

// The one seam where the engine's statement text becomes SQLite text. The SQL dialect
// installs its own translator on the DBEngine; until then statements pass through unchanged.
class StatementTranslator {
public:
    virtual ~StatementTranslator() = default;
    // SQLite text for a statement of the engine's dialect (PARAMETERS declaration removed;
    // declared parameters written as "?N" in declaration order).
    virtual QString toSqlite(const QString& statement) const = 0;
    // When the statement is a plain SELECT * over one table (optionally WHERE / ORDER BY).
    virtual std::optional<SingleTableSelect> singleTableSelect(const QString& statement) const = 0;
};

// Pass-through: the text is taken as SQLite's own.
class PassThroughTranslator : public StatementTranslator {
public:
    QString toSqlite(const QString& statement) const override;
    std::optional<SingleTableSelect> singleTableSelect(const QString& statement) const override;
};

}  // namespace veranth::engine
