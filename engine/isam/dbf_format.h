#pragma once

#include "engine/isam/dbf_flavour.h"
#include "engine/isam/table_format.h"

namespace veranth::engine::isam {

// The DBF family: a table is NAME.dbf with NAME.dbt or NAME.fpt for memos, NAME.cpg for a
// code page the header cannot name, and NAME.vxi for what the engine keeps beside it.
// Existing tables are read as their files say, whatever the flavour; new tables are written
// in the flavour the folder was opened as.
class DbfFormat : public TableFormat {
public:
    explicit DbfFormat(DbfFlavour flavour) : flavour_(flavour) {}

    QString name() const override { return dbfFlavourName(flavour_); }
    QStringList tableNames(const QString& folder) const override;
    QString tablePath(const QString& folder, const QString& table) const override;
    QString newTablePath(const QString& folder, const QString& table) const override;
    std::shared_ptr<TableFile> openTable(const QString& path, bool readOnly) const override;
    void createTable(const QString& path, const TableInfo& design) const override;
    void saveDesign(const QString& path, const TableInfo& design) const override;
    QStringList filesOf(const QString& path) const override;

private:
    DbfFlavour flavour_;
};

}  // namespace veranth::engine::isam
