#include "engine/isam/dbf_format.h"

#include "engine/isam/dbf_table.h"
#include "engine/isam/folder_files.h"
#include "engine/isam/side_catalogue.h"

#include <QDir>
#include <QFileInfo>

namespace veranth::engine::isam {

namespace {
const QString kTableExtension = QStringLiteral("dbf");
}

QStringList DbfFormat::tableNames(const QString& folder) const { return baseNamesWithExtension(folder, kTableExtension); }

QString DbfFormat::tablePath(const QString& folder, const QString& table) const { return findFile(folder, table, kTableExtension); }

QString DbfFormat::newTablePath(const QString& folder, const QString& table) const {
    return QDir(folder).filePath(table + QLatin1Char('.') + kTableExtension);
}

std::shared_ptr<TableFile> DbfFormat::openTable(const QString& path, bool readOnly) const {
    return DbfTable::open(path, readOnly, readSideCatalogue(path));
}

void DbfFormat::createTable(const QString& path, const TableInfo& design) const {
    DbfTable::create(path, flavour_, design);
    writeSideCatalogue(path, design);
}

void DbfFormat::saveDesign(const QString& path, const TableInfo& design) const { writeSideCatalogue(path, design); }

QStringList DbfFormat::filesOf(const QString& path) const {
    QStringList files;
    if (QFileInfo::exists(path)) files << path;
    for (const char* extension : {"dbt", "fpt", "cpg", "vxi"}) {
        const QString companion = findSibling(path, QString::fromLatin1(extension));
        if (!companion.isEmpty()) files << companion;
    }
    return files;
}

}  // namespace veranth::engine::isam
