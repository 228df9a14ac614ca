#pragma once

// The typed tree of a statement in the engine's SQL dialect. Literal values stay as written
// (digits, string text, date text with its reading) so the semantic pass decides their types.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "engine/sql/column_type.h"
#include "engine/sql/date_literal.h"
#include "engine/sql/token.h"

namespace veranth::engine::sql {

struct Expression;
struct QueryExpression;
struct TableSource;
using ExpressionPtr = std::unique_ptr<Expression>;
using QueryPtr = std::unique_ptr<QueryExpression>;
using TableSourcePtr = std::unique_ptr<TableSource>;

// ---------------------------------------------------------------------------------------------
// Expressions

enum class ExpressionKind {
    Literal,
    Name,        // a column, a parameter or a control reference: a.b.c
    Unary,
    Binary,
    Like,
    Between,
    IsNull,
    InList,
    InSubquery,
    Exists,
    Subquery,    // a scalar subquery
    Call,
};

struct Expression {
    Expression(ExpressionKind k, SourcePosition p) : kind(k), position(p) {}
    virtual ~Expression() = default;
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    const ExpressionKind kind;
    SourcePosition position;

    template <typename T>
    const T& as() const { return static_cast<const T&>(*this); }
};

enum class LiteralKind { Integer, Decimal, String, Date, Boolean, Null };

struct Literal : Expression {
    explicit Literal(LiteralKind k, SourcePosition p) : Expression(ExpressionKind::Literal, p), literalKind(k) {}

    LiteralKind literalKind;
    qint64 integer = 0;   // Integer
    QString text;         // Decimal: the digits as written; String: the value; Date: the text between #
    bool boolean = false; // Boolean
    DateLiteralValue date;  // Date: what the text means
};

struct NameReference : Expression {
    NameReference(QStringList p, SourcePosition pos) : Expression(ExpressionKind::Name, pos), parts(std::move(p)) {}

    QStringList parts;  // [Order Details].[Unit Price] -> {"Order Details", "Unit Price"}

    const QString& name() const { return parts.back(); }
    // Everything before the name ("Order Details"); empty when unqualified.
    QStringList qualifier() const { return parts.mid(0, parts.size() - 1); }
};

enum class UnaryOperator { Negate, Plus, Not };

struct Unary : Expression {
    Unary(UnaryOperator o, ExpressionPtr e, SourcePosition p)
        : Expression(ExpressionKind::Unary, p), op(o), operand(std::move(e)) {}

    UnaryOperator op;
    ExpressionPtr operand;
};

enum class BinaryOperator {
    Imp, Eqv, Xor, Or, And,
    Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
    Concat,
    Add, Subtract,
    Mod,
    IntDivide,
    Multiply, Divide,
    Power,
};

struct Binary : Expression {
    Binary(BinaryOperator o, ExpressionPtr l, ExpressionPtr r, SourcePosition p)
        : Expression(ExpressionKind::Binary, p), op(o), left(std::move(l)), right(std::move(r)) {}

    BinaryOperator op;
    ExpressionPtr left;
    ExpressionPtr right;
};

struct Like : Expression {
    explicit Like(SourcePosition p) : Expression(ExpressionKind::Like, p) {}

    ExpressionPtr operand;
    ExpressionPtr pattern;  // * ? # [..] wildcards, read by the evaluator
    bool negated = false;
};

struct Between : Expression {
    explicit Between(SourcePosition p) : Expression(ExpressionKind::Between, p) {}

    ExpressionPtr operand;
    ExpressionPtr low;
    ExpressionPtr high;
    bool negated = false;
};

struct IsNull : Expression {
    explicit IsNull(SourcePosition p) : Expression(ExpressionKind::IsNull, p) {}

    ExpressionPtr operand;
    bool negated = false;  // Is Not Null
};

struct InList : Expression {
    explicit InList(SourcePosition p) : Expression(ExpressionKind::InList, p) {}

    ExpressionPtr operand;
    std::vector<ExpressionPtr> values;
    bool negated = false;
};

struct InSubquery : Expression {
    explicit InSubquery(SourcePosition p) : Expression(ExpressionKind::InSubquery, p) {}

    ExpressionPtr operand;
    QueryPtr query;
    bool negated = false;
};

struct Exists : Expression {
    explicit Exists(SourcePosition p) : Expression(ExpressionKind::Exists, p) {}

    QueryPtr query;
};

struct Subquery : Expression {
    explicit Subquery(SourcePosition p) : Expression(ExpressionKind::Subquery, p) {}

    QueryPtr query;
};

struct Call : Expression {
    Call(QString n, SourcePosition p) : Expression(ExpressionKind::Call, p), name(std::move(n)) {}

    QString name;  // as written: IIf, Nz, Count, DateAdd, Left$ ...
    std::vector<ExpressionPtr> arguments;
    bool star = false;  // Count(*)
};

// ---------------------------------------------------------------------------------------------
// Tables

// Another database named by an IN clause: IN 'file', IN '' 'connect', IN '' [connect].
struct ExternalDatabase {
    QString database;                // the file or folder; may be empty
    std::optional<QString> connect;  // "ODBC;DSN=...", "dBase IV;", or a path written there
    SourcePosition position;
};

// [connect].owner.table, owner.table or table.
struct TableName {
    std::optional<QString> connect;  // the bracketed prefix holding ';': ";database=C:\x.mdb", "ODBC;DSN=x"
    QStringList parts;               // the name, owner first when there is one
    SourcePosition position;

    const QString& table() const { return parts.back(); }
};

enum class TableSourceKind { Table, Join, Derived };

struct TableSource {
    TableSource(TableSourceKind k, SourcePosition p) : kind(k), position(p) {}
    virtual ~TableSource() = default;
    TableSource(const TableSource&) = delete;
    TableSource& operator=(const TableSource&) = delete;

    const TableSourceKind kind;
    SourcePosition position;

    template <typename T>
    const T& as() const { return static_cast<const T&>(*this); }
};

struct TableReference : TableSource {
    explicit TableReference(SourcePosition p) : TableSource(TableSourceKind::Table, p) {}

    TableName name;
    QString alias;  // empty when none
};

enum class JoinKind { Inner, Left, Right };

struct Join : TableSource {
    Join(JoinKind k, SourcePosition p) : TableSource(TableSourceKind::Join, p), joinKind(k) {}

    JoinKind joinKind;
    TableSourcePtr left;
    TableSourcePtr right;
    ExpressionPtr on;
};

struct DerivedTable : TableSource {
    explicit DerivedTable(SourcePosition p) : TableSource(TableSourceKind::Derived, p) {}

    QueryPtr query;
    QString alias;
};

// ---------------------------------------------------------------------------------------------
// Queries

enum class SelectQuantifier { All, Distinct, DistinctRow };

struct TopClause {
    QString count;  // the number as written: "10", "12.5"
    bool percent = false;
};

struct SelectItem {
    ExpressionPtr expression;  // null for * and table.*
    QStringList starQualifier; // table.* -> {"table"}; * -> {}
    QString alias;
    SourcePosition position;

    bool isStar() const { return !expression; }
};

struct OrderItem {
    ExpressionPtr expression;
    bool descending = false;
};

struct IntoTarget {
    TableName table;
    std::optional<ExternalDatabase> external;
};

struct SelectQuery {
    SelectQuantifier quantifier = SelectQuantifier::All;
    std::optional<TopClause> top;
    std::vector<SelectItem> items;
    std::optional<IntoTarget> into;
    std::vector<TableSourcePtr> from;  // comma-separated sources; empty when there is no FROM
    std::optional<ExternalDatabase> fromExternal;  // applies to every table of the FROM
    ExpressionPtr where;
    std::vector<ExpressionPtr> groupBy;
    ExpressionPtr having;
    std::vector<OrderItem> orderBy;
    bool ownerAccess = false;  // WITH OWNERACCESS OPTION
    SourcePosition position;
};

struct SetOperation {  // UNION [ALL]
    QueryPtr left;
    QueryPtr right;
    bool all = false;
    std::vector<OrderItem> orderBy;  // orders the whole union
    SourcePosition position;
};

struct QueryExpression {
    std::variant<SelectQuery, SetOperation> body;

    bool isUnion() const { return std::holds_alternative<SetOperation>(body); }
    const SelectQuery* select() const { return std::get_if<SelectQuery>(&body); }
    const SetOperation* setOperation() const { return std::get_if<SetOperation>(&body); }
};

// ---------------------------------------------------------------------------------------------
// Action statements

struct InsertStatement {
    TableName target;
    std::optional<ExternalDatabase> external;
    QStringList columns;                // empty: every column in order
    std::vector<ExpressionPtr> values;  // INSERT ... VALUES
    QueryPtr query;                     // INSERT ... SELECT
};

struct Assignment {
    QStringList column;  // table.column or column
    ExpressionPtr value;
    SourcePosition position;
};

struct UpdateStatement {
    TableSourcePtr table;  // a table or a join
    std::vector<Assignment> assignments;
    ExpressionPtr where;
};

struct DeleteStatement {
    std::vector<QStringList> targets;  // DELETE t.* -> {{"t"}}; DELETE * -> {{}}; DELETE FROM -> {}
    std::vector<TableSourcePtr> from;
    std::optional<ExternalDatabase> fromExternal;
    ExpressionPtr where;
};

// ---------------------------------------------------------------------------------------------
// Definitions

struct TypeDeclaration {
    ColumnType type = ColumnType::Text;
    QString spelling;     // the type name as written
    QList<int> arguments; // TEXT(50) -> {50}; DECIMAL(10, 2) -> {10, 2}; COUNTER(1, 1) -> seed, step

    std::optional<int> size() const { return arguments.isEmpty() ? std::nullopt : std::optional<int>(arguments.front()); }
};

enum class ConstraintKind { PrimaryKey, Unique, ForeignKey };

struct ConstraintDefinition {
    QString name;  // empty when not named
    ConstraintKind kind = ConstraintKind::PrimaryKey;
    QStringList columns;  // empty on a column's own constraint
    TableName referencedTable;
    QStringList referencedColumns;
    SourcePosition position;
};

struct ColumnDefinition {
    QString name;
    TypeDeclaration type;
    bool notNull = false;
    ExpressionPtr defaultValue;
    std::optional<ConstraintDefinition> constraint;
    SourcePosition position;
};

struct CreateTableStatement {
    TableName table;
    std::vector<ColumnDefinition> columns;
    std::vector<ConstraintDefinition> constraints;
};

struct IndexColumn {
    QString name;
    bool descending = false;
};

struct CreateIndexStatement {
    bool unique = false;
    QString name;
    TableName table;
    std::vector<IndexColumn> columns;
    bool primary = false;      // WITH PRIMARY
    bool disallowNull = false; // WITH DISALLOW NULL
    bool ignoreNull = false;   // WITH IGNORE NULL
};

struct DropStatement {
    enum class Object { Table, Index };
    Object object = Object::Table;
    TableName table;  // the table dropped, or the index's table
    QString index;
};

struct AlterTableStatement {
    enum class Action { AddColumn, AlterColumn, DropColumn, AddConstraint, DropConstraint };
    TableName table;
    Action action = Action::AddColumn;
    std::optional<ColumnDefinition> column;          // AddColumn, AlterColumn
    std::optional<ConstraintDefinition> constraint;  // AddConstraint
    QString name;                                    // DropColumn, DropConstraint
};

struct TransformStatement {  // a cross-tab query
    ExpressionPtr aggregate;
    QString aggregateAlias;
    QueryPtr select;
    ExpressionPtr pivot;
    std::vector<ExpressionPtr> pivotValues;  // PIVOT ... IN (values)
};

// ---------------------------------------------------------------------------------------------
// A whole statement

struct ParameterDeclaration {
    QString name;
    TypeDeclaration type;
    SourcePosition position;
};

using StatementBody = std::variant<QueryPtr, InsertStatement, UpdateStatement, DeleteStatement,
                                   CreateTableStatement, CreateIndexStatement, DropStatement,
                                   AlterTableStatement, TransformStatement>;

struct Statement {
    std::vector<ParameterDeclaration> parameters;  // PARAMETERS, in declaration order
    StatementBody body;
};

}  // namespace veranth::engine::sql
