#include "engine/sql/query_type.h"

namespace veranth::engine::sql {

namespace {

struct Classifier {
    QueryType operator()(const QueryPtr& query) const {
        if (query->isUnion()) return QueryType::Union;
        return query->select()->into ? QueryType::MakeTable : QueryType::Select;
    }
    QueryType operator()(const InsertStatement&) const { return QueryType::Append; }
    QueryType operator()(const UpdateStatement&) const { return QueryType::Update; }
    QueryType operator()(const DeleteStatement&) const { return QueryType::Delete; }
    QueryType operator()(const TransformStatement&) const { return QueryType::CrossTab; }
    QueryType operator()(const CreateTableStatement&) const { return QueryType::DataDefinition; }
    QueryType operator()(const CreateIndexStatement&) const { return QueryType::DataDefinition; }
    QueryType operator()(const DropStatement&) const { return QueryType::DataDefinition; }
    QueryType operator()(const AlterTableStatement&) const { return QueryType::DataDefinition; }
};

}  // namespace

QueryType queryTypeOf(const Statement& statement) { return std::visit(Classifier{}, statement.body); }

bool returnsRecords(const Statement& statement) {
    const QueryType type = queryTypeOf(statement);
    return type == QueryType::Select || type == QueryType::Union || type == QueryType::CrossTab;
}

const std::vector<ParameterDeclaration>& declaredParameters(const Statement& statement) {
    return statement.parameters;
}

}  // namespace veranth::engine::sql
