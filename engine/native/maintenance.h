#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// File-level maintenance of native databases: create, compact, repair.
namespace veranth::engine::native {

// A new, empty database with the engine's catalog; 3204 when the file exists.
QString createDatabaseFile(const QString& name);

// Writes a compacted copy of SOURCE to DESTINATION (which must not exist: 3204), checks it
// (integrity and row counts), and only then keeps it; SOURCE equal to DESTINATION compacts
// in place through a checked temporary file that then replaces the source.
void compactDatabaseFile(const QString& source, const QString& destination);

struct RepairReport {
    bool wasDamaged = false;
    QStringList tablesRecovered;  // "Name (N rows)"
    QStringList lost;  // what could not be read back, one line each
    std::int64_t rowsRecovered = 0;  // in all tables, the catalog's included
};
// Checks the file; a damaged one is rebuilt from what can be read and replaces the original
// (kept beside it as NAME.bak). A foreign file is refused with 3049.
RepairReport repairDatabaseFile(const QString& name);

}  // namespace veranth::engine::native
