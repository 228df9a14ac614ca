#pragma once

#include "engine/schema.h"

#include <QString>

// What the engine knows of a table beyond what its file format can say: the engine types of
// its fields, Required, defaults and rules, and its indexes. Kept as a small JSON file beside
// the table (NAME.vxi), so it travels with the table when the folder is copied.
namespace veranth::engine::isam {

QString sideCataloguePath(const QString& tablePath);
// An empty description when the table has none; 3343 when it exists but cannot be read.
TableInfo readSideCatalogue(const QString& tablePath);
void writeSideCatalogue(const QString& tablePath, const TableInfo& table);

}  // namespace veranth::engine::isam
