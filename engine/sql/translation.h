#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "engine/field_type.h"
#include "engine/schema.h"
#include "engine/sql/query_type.h"
#include "engine/value.h"

namespace veranth::engine::sql {

// Values bound to a statement, each in the storage form of its field type (none: by its own kind).
using BoundValueList = std::vector<std::pair<Value, std::optional<FieldType>>>;

struct ResultColumn {
    QString name;
    std::optional<FieldType> type;  // none: read by what SQLite holds
    int size = 0;
};

// A parameter the statement needs: declared by PARAMETERS (in declaration order) or, after
// them, a name that resolved to nothing (in order of first use). Bound as ?1..?N.
struct StatementParameter {
    QString name;
    std::optional<FieldType> type;  // none for an undeclared parameter
};

// Schema changes the statement asks for, carried out by the engine's object model so that its
// catalog stays right. They run before `sql`, if any.
struct CreateTableStep {
    QString table;
    std::vector<FieldInfo> fields;
    std::vector<IndexInfo> indexes;  // constraints declared with the table
    QString schema;                  // empty: the executing database
};
struct CreateIndexStep {
    QString table;
    IndexInfo index;
};
struct DropTableStep {
    QString table;
};
struct DropIndexStep {
    QString table;
    QString index;
};
struct AddColumnStep {
    QString table;
    FieldInfo field;
};
struct AlterColumnStep {
    QString table;
    FieldInfo field;
};
struct DropColumnStep {
    QString table;
    QString column;
};
using DefinitionStep = std::variant<CreateTableStep, CreateIndexStep, DropTableStep, DropIndexStep, AddColumnStep,
                                    AlterColumnStep, DropColumnStep>;

// Another database the statement reads or writes, to be attached under `schema` before it runs.
struct ExternalReference {
    QString database;
    QString connect;
    QString schema;
};

// The stored table an INSERT, UPDATE or DELETE writes and the fields it assigns: the engine
// refuses writes to its own catalog and holds the written rows to those fields' rules (Size,
// Required, AllowZeroLength, ValidationRule).
struct WriteTarget {
    QString table;
    QString schema;  // empty: the executing database
    QStringList fields;
};

struct Translation {
    QueryType type = QueryType::Select;
    bool returnsRecords = false;
    std::vector<DefinitionStep> definitions;
    QString sql;  // SQLite text; empty when the statement is only definitions
    std::vector<StatementParameter> parameters;  // ?1..?N
    BoundValueList constants;                    // ?N+1.. : the statement's literals
    std::vector<ResultColumn> columns;           // what a row-returning statement yields
    std::vector<ExternalReference> externals;
    std::optional<WriteTarget> target;
};

}  // namespace veranth::engine::sql
