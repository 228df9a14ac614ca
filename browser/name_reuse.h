#pragma once

#include <QString>

namespace veranth::db {
class Session;
}

namespace veranth::browser {

// `ConfirmNameReuse`: whether a new table or stored query must give up the name it was to get.
// A table of that name (any letter case) is deleted after "Table already exists, Delete it?";
// in a native file a stored query likewise after "QueryDef already exists, Delete it?". No keeps
// the existing object and returns true (abandon); a free name, or a deleted one, returns false.
bool ConfirmNameReuse(db::Session& session, const QString& name);

// Saves a statement as a new stored query under a name the user types, and returns whether it
// was saved. An empty name, or a refused name reuse, saves nothing.
bool SaveStatementAsQuery(db::Session& session, const QString& sql);

}  // namespace veranth::browser
