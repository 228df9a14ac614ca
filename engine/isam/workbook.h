#pragma once

#include "engine/isam/sheet_cells.h"
#include "engine/isam/table_file.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace veranth::engine::isam {

// A spreadsheet workbook held in memory as tables: each sheet is a table whose first row
// names the fields, and each named range is a table too (read only). Every Database object
// on one file shares one Workbook, so they see each other's writes. The whole file is
// written again, by way of a temporary file, when it is flushed.
//
// Only workbooks this engine wrote are written again, and only while no other program has
// changed them since: anything else in a workbook (formulas, formatting, charts) would be
// lost by writing it from its values. Beside each workbook it writes, NAME.xls.vxi keeps the
// engine types of the fields and a fingerprint of the file.
class Workbook : public std::enable_shared_from_this<Workbook> {
public:
    enum class Format { Xls, Xlsx };

    // The workbook at `path`, read when it exists (3343 when it is no workbook); a missing
    // file is a new, empty workbook, written when its first table is made. 3024 when the
    // folder does not exist, or when a read-only workbook is missing.
    static std::shared_ptr<Workbook> open(const QString& path, bool readOnly);
    ~Workbook();

    const QString& path() const { return path_; }
    Format format() const { return format_; }
    const SheetLimits& limits() const;

    QStringList tableNames() const;
    // The table by name (a sheet also as "Name$"), or null.
    std::shared_ptr<TableFile> table(const QString& name);
    bool isRange(const QString& name) const;

    // 3251 with the reason when the workbook may not be changed.
    void requireWritable() const;
    void createTable(const TableInfo& design);
    void dropTable(const QString& name);
    void renameTable(const QString& from, const QString& to);
    // Gives the table `fields`, each filled from the old field at `sourceOf` (or Null for -1).
    void reshapeTable(const QString& name, const std::vector<FieldInfo>& fields, const std::vector<int>& sourceOf);

    void markChanged() { changed_ = true; }
    // Writes the file when anything changed since it was read or written.
    void flush();

    struct Sheet;

private:
    Workbook() = default;
    void load();
    void save();
    int indexOf(const QString& name) const;

    QString path_;
    Format format_ = Format::Xls;
    bool readOnly_ = false;
    QString whyNotWritable_;
    bool changed_ = false;
    std::vector<std::shared_ptr<Sheet>> sheets_;
};

// Every table of the workbook file at `path` with all its rows, as the driver reads them
// (3343 for a damaged file); the fuzz targets read workbooks through this.
struct WorkbookTable {
    TableInfo design;
    std::vector<std::vector<Value>> rows;
};
std::vector<WorkbookTable> readWorkbookTables(const QString& path);

}  // namespace veranth::engine::isam
