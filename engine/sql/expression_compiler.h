#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "engine/sql/ast.h"
#include "engine/sql/scope.h"
#include "engine/sql/statement_context.h"

namespace veranth::engine::sql {

// An expression written as SQLite text, with the static type its value has there.
struct Emitted {
    QString sql;
    SqlType type = SqlType::Variant;
    bool condition = false;   // SQLite's own truth (1/0), not the dialect's True (-1)
    bool neverNull = false;
    bool aggregate = false;
    bool plainColumn = false;
    std::optional<Value> constant;  // a literal, known when translating
};

struct CompiledQuery {
    QString sql;
    std::vector<ResultColumn> columns;
    std::vector<SqlType> types;
};

using SubqueryCompiler = std::function<CompiledQuery(const QueryExpression&, const Scope&)>;

// The semantic rules of the dialect's expressions: each operand typed, converted where the
// dialect converts (text to number or date, whole numbers to Currency), compared with the
// engine's case-insensitive collation, and written for the storage the values have.
class ExpressionCompiler {
public:
    ExpressionCompiler(StatementContext& context, SubqueryCompiler subquery)
        : context_(context), subquery_(std::move(subquery)) {}

    Emitted compile(const Expression& e, const Scope& scope);

    // The expression as a value (True is -1) or as a condition.
    QString value(const Emitted& e);
    QString condition(const Emitted& e);
    // The value in the storage form of `target`; constants are converted now, so a literal
    // that is no such value fails here with the engine's error.
    QString convert(const Emitted& e, SqlType target);
    // As convert, and range-checked for whole-number targets: what is stored into a field.
    QString assign(const Emitted& e, SqlType target);
    // Text gets the engine's collation for ordering and grouping.
    QString collated(const Emitted& e);

    // Select-list aliases that ORDER BY and HAVING may name.
    std::vector<std::pair<QString, Emitted>> aliases;

private:
    Emitted literal(const Literal& l);
    Emitted name(const NameReference& n, const Scope& scope);
    Emitted unary(const Unary& u, const Scope& scope);
    Emitted binary(const Binary& b, const Scope& scope);
    Emitted comparison(BinaryOperator op, const Emitted& l, const Emitted& r);
    Emitted arithmetic(BinaryOperator op, const Emitted& l, const Emitted& r);
    Emitted concatenation(const Emitted& l, const Emitted& r);
    Emitted call(const Call& c, const Scope& scope);
    Emitted aggregate(const QString& name, const Call& c, const Scope& scope);
    Emitted inList(const InList& in, const Scope& scope);
    Emitted inSubquery(const InSubquery& in, const Scope& scope);
    Emitted constantOf(const Value& v);
    Emitted helper(const QString& name, SqlType result, const std::vector<Emitted>& arguments);
    // The two sides of a comparison brought into one domain.
    std::pair<QString, QString> comparable(const Emitted& l, const Emitted& r, bool* collate);

    StatementContext& context_;
    SubqueryCompiler subquery_;
};

}  // namespace veranth::engine::sql
