#pragma once

#include <QString>
#include <optional>

#include "engine/errors.h"

struct sqlite3;

namespace veranth::engine::sql {

// Registers every function the translated statements call (the dialect's functions, the
// operators' helpers and the aggregates First, Last, StDev, StDevP, Var, VarP) on a connection.
// The engine calls this once for each connection it opens.
void registerDialectFunctions(sqlite3* db);

// A function that fails reports the engine's error through SQLite's message as
// "[engine error N] description"; this recovers it from the message of the failed statement.
std::optional<EngineError> engineErrorFromSqliteMessage(const QString& message);

}  // namespace veranth::engine::sql
