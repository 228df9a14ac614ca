#pragma once

#include "engine/isam/table_file.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace veranth::engine::isam {

// One file format whose "database" is a folder of table files (the DBF family, text files).
// A FolderDatabase does the engine's side; the format knows the files.
class TableFormat {
public:
    virtual ~TableFormat() = default;

    // "dBase IV", "Text": used in messages.
    virtual QString name() const = 0;
    // The tables of the folder, by the names the engine shows.
    virtual QStringList tableNames(const QString& folder) const = 0;
    // The file of an existing table (any letter case), or empty.
    virtual QString tablePath(const QString& folder, const QString& table) const = 0;
    // The file a new table of that name gets; 3251 for a name the format cannot give a file.
    virtual QString newTablePath(const QString& folder, const QString& table) const = 0;
    virtual std::shared_ptr<TableFile> openTable(const QString& path, bool readOnly) const = 0;
    // Writes a new, empty table at `path` with its companion files.
    virtual void createTable(const QString& path, const TableInfo& design) const = 0;
    // Stores what the table file itself cannot hold: indexes, engine types, rules.
    virtual void saveDesign(const QString& path, const TableInfo& design) const = 0;
    // The table's file and every companion of it that exists (memo, code page, catalogue).
    virtual QStringList filesOf(const QString& path) const = 0;
    // Deletes the table and its companions.
    virtual void removeTable(const QString& path) const;
    // Moves the table and its companions to the name of `to`, replacing what is there; each
    // file is renamed in one step, the table file last.
    virtual void moveTable(const QString& from, const QString& to) const;
    // Formats without a place for indexes, rules and field properties make tables without
    // them and refuse to add them later (3251).
    virtual bool keepsIndexes() const { return true; }
};

}  // namespace veranth::engine::isam
