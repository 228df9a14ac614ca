#pragma once

#include "engine/isam/table_format.h"

namespace veranth::engine::isam {

// Text files in a folder: NAME.txt is the table NAME; NAME.csv, NAME.tab and NAME.asc are
// NAME#csv, NAME#tab and NAME#asc. schema.ini in the folder describes each file; one is
// written for every table made here. Text files keep no indexes.
class TextFormat : public TableFormat {
public:
    QString name() const override { return QStringLiteral("Text"); }
    QStringList tableNames(const QString& folder) const override;
    QString tablePath(const QString& folder, const QString& table) const override;
    QString newTablePath(const QString& folder, const QString& table) const override;
    std::shared_ptr<TableFile> openTable(const QString& path, bool readOnly) const override;
    void createTable(const QString& path, const TableInfo& design) const override;
    void saveDesign(const QString& path, const TableInfo& design) const override;
    QStringList filesOf(const QString& path) const override;
    void removeTable(const QString& path) const override;
    void moveTable(const QString& from, const QString& to) const override;
    bool keepsIndexes() const override { return false; }
};

}  // namespace veranth::engine::isam
