#pragma once

#include <QString>

namespace veranth::engine::native {

// The file a database name means: as given when it exists, else with the default ".mdb"
// when the name has no extension; the file's own name is matched without regard to case
// ("test" finds "test.MDB"). Empty when there is no such file.
QString resolveDatabaseFile(const QString& name);
// The path a new database gets: ".mdb" added when the name has no extension.
QString newDatabaseFile(const QString& name);

enum class FileKind { Missing, Native, OldProprietary, Foreign };
// What the first bytes of a file say it is.
FileKind examineFile(const QString& path);

// Raises 3049 (damaged or foreign, saying which), or 3024 for a missing file, unless the file
// is a native database.
void requireNativeFile(const QString& path, const QString& shownName);

}  // namespace veranth::engine::native
