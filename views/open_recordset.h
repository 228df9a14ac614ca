#pragma once

#include <QString>

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class QueryDef;
}

namespace veranth::views {

// A table by name, opened by the current recordset type and shown in a view window by the view mode.
void ViewTable(db::Session& session, const QString& tableName);
// A stored query by name, or an SQL text: action queries run, row-returning ones open in a view.
void ViewQuery(db::Session& session, const QString& nameOrSql, bool isSqlText);
// `AskParameterValues`: one input box per parameter, in the order of the Parameters collection.
void AskParameterValues(db::Session& session, engine::QueryDef& queryDef);

}  // namespace veranth::views
