#pragma once

#include "engine/native/sqlite_db.h"
#include "engine/schema.h"

#include <vector>

// The engine's catalog inside a native file: the MSys tables that describe what SQLite's
// own schema cannot (field types and sizes, Required, validation, index flags, queries,
// properties, the database password). Tables the catalog does not describe (a file made by
// another tool) are described from SQLite's schema instead.
namespace veranth::engine::native::catalog {

inline constexpr const char* kFormatName = "Veranth";
inline constexpr int kFormatVersion = 1;

bool exists(Connection& c);
// Creates the MSys tables in a new or foreign-made file.
void create(Connection& c);

std::vector<TableInfo> loadTables(Connection& c);
std::vector<QueryInfo> loadQueries(Connection& c);

// Catalog rows only; the caller changes the SQLite tables in the same transaction.
void insertTable(Connection& c, const TableInfo& t);
void deleteTable(Connection& c, const QString& table);
void renameTable(Connection& c, const QString& from, const QString& to);
void updateTable(Connection& c, const TableInfo& t);
void insertField(Connection& c, const QString& table, const FieldInfo& f);
void deleteField(Connection& c, const QString& table, const QString& field);
void renameField(Connection& c, const QString& table, const QString& from, const QString& to);
void updateField(Connection& c, const QString& table, const FieldInfo& f);
void insertIndex(Connection& c, const QString& table, const IndexInfo& i);
void deleteIndex(Connection& c, const QString& table, const QString& index);
void renameIndex(Connection& c, const QString& table, const QString& from, const QString& to);
void saveQuery(Connection& c, const QueryInfo& q, const QString& previousName);
void deleteQuery(Connection& c, const QString& name);
void touchTable(Connection& c, const QString& table);

// Database-level settings (format, password hash, ...), empty when unset.
QString setting(Connection& c, const QString& key);
void setSetting(Connection& c, const QString& key, const QString& value);

// The SQLite column type that stores a field and reads back as the same field type.
QString storageType(const FieldInfo& f);
// Reads a declared column type written by storageType (or by another tool).
FieldType typeFromStorage(const QString& declared, int* size);

bool isCatalogTable(const QString& name);

}  // namespace veranth::engine::native::catalog
