#pragma once

#include <QString>

namespace veranth::db {

class Session;

// The engine's general sort order and file format, passed to compact and create.
inline constexpr auto kGeneralLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";
inline constexpr int kDbVersion30 = 32;

// `CompactMdb`: compacts the file in place, or (empty path) a source and destination chosen in
// dialogs. In place goes through a temporary file named like the source with its last character
// replaced by "N", which replaces the source only once the engine has written and checked it.
void CompactMdb(Session& session, int version, const QString& path);

// `RepairMdb`: repairs the file (asked for when the path is empty).
void RepairMdb(Session& session, const QString& path);

// `CreateMdb`: creates a new file chosen in a save dialog and opens it.
void CreateMdb(Session& session, int version);

// The temporary name of an in-place compact: the last character replaced by "N".
QString CompactTemporaryName(const QString& source);

}  // namespace veranth::db
