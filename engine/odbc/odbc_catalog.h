#pragma once

#include "engine/odbc/driver_connection.h"
#include "engine/schema.h"

#include <vector>

namespace veranth::engine::odbc {

// The server's tables and views (not its system tables), with their columns in the engine's
// types, their indexes and primary key, as the driver's catalog functions report them.
std::vector<TableInfo> loadTables(const std::shared_ptr<DriverConnection>& connection);
// One table's design; fields empty when the server has no such table.
TableInfo loadTable(const std::shared_ptr<DriverConnection>& connection, const QString& table);

}  // namespace veranth::engine::odbc
