#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "engine/sql/ast.h"
#include "engine/sql/catalog_view.h"
#include "engine/sql/sql_type.h"
#include "engine/sql/translation.h"

namespace veranth::engine::sql {

// How the statement's literals reach SQLite: bound as parameters, or (for callers that can only
// take text) written as SQLite literals, quoted and escaped by one writer.
enum class LiteralMode { Bound, Inline };

// What one statement's translation accumulates: its parameters, its constants, the external
// databases it names, and the counter behind ExprNNNN column names.
class StatementContext {
public:
    StatementContext(const CatalogView& catalog, LiteralMode mode, const std::vector<ParameterDeclaration>& declared);

    const CatalogView& catalog() const { return catalog_; }

    // SQL standing for a constant in the storage form of `storage`.
    QString constant(const Value& value, SqlType storage);
    // SQL standing for a parameter by name: declared, or an undeclared one added now.
    QString parameter(const QString& name, SqlType* type);
    // The catalog of another database, recorded so the engine attaches it (3024 when unknown).
    const CatalogView& external(const QString& database, const QString& connect);

    QString nextExpressionName() { return QStringLiteral("Expr%1").arg(1000 + expressionCounter_++); }

    // Stored queries used as tables nest; a query that names itself must not recurse forever.
    int queryDepth = 0;

    // The finished SQL with every constant's placeholder numbered after the parameters.
    QString finish(const QString& sql) const;
    std::vector<StatementParameter> parameters() const;
    const BoundValueList& constants() const { return constants_; }
    const std::vector<ExternalReference>& externals() const { return externals_; }

private:
    struct Parameter {
        QString name;
        SqlType type;
    };
    const CatalogView& catalog_;
    LiteralMode mode_;
    std::vector<Parameter> parameters_;
    BoundValueList constants_;
    std::vector<ExternalReference> externals_;
    int expressionCounter_ = 0;
};

// A value written as SQLite literal text (text quoted with quotes doubled, blobs in hex).
QString sqliteLiteral(const Value& storageValue);
// "name" with embedded quotes doubled.
QString quoted(const QString& name);

// The field type a declared type name stands for, and its size.
FieldInfo fieldFromDeclaration(const QString& name, const TypeDeclaration& type);

}  // namespace veranth::engine::sql
