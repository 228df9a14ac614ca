#include "engine/isam/text_format.h"

#include "engine/errors.h"
#include "engine/isam/folder_files.h"
#include "engine/isam/text_layout.h"
#include "engine/isam/text_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace veranth::engine::isam {

namespace {

const QString kDefaultExtension = QStringLiteral("txt");
const QStringList kExtensions = {QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("tab"), QStringLiteral("asc")};

// "clients" -> clients.txt; "clients#csv" (or "clients.csv") -> clients.csv.
std::pair<QString, QString> fileNameOf(const QString& table) {
    const qsizetype mark = std::max(table.lastIndexOf(QLatin1Char('#')), table.lastIndexOf(QLatin1Char('.')));
    if (mark > 0) {
        const QString extension = table.mid(mark + 1).toLower();
        if (kExtensions.contains(extension)) return {table.left(mark), extension};
    }
    return {table, kDefaultExtension};
}

QString folderOf(const QString& path) { return QFileInfo(path).absolutePath(); }
QString fileNameOfPath(const QString& path) { return QFileInfo(path).fileName(); }

}  // namespace

QStringList TextFormat::tableNames(const QString& folder) const {
    QStringList names;
    for (const QString& extension : kExtensions)
        for (const QString& base : baseNamesWithExtension(folder, extension))
            names << (extension == kDefaultExtension ? base : base + QLatin1Char('#') + extension);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QString TextFormat::tablePath(const QString& folder, const QString& table) const {
    const auto [base, extension] = fileNameOf(table);
    return findFile(folder, base, extension);
}

QString TextFormat::newTablePath(const QString& folder, const QString& table) const {
    const auto [base, extension] = fileNameOf(table);
    return QDir(folder).filePath(base + QLatin1Char('.') + extension);
}

std::shared_ptr<TableFile> TextFormat::openTable(const QString& path, bool readOnly) const {
    return TextTable::open(path, readOnly, readSchemaIni(folderOf(path), fileNameOfPath(path)));
}

void TextFormat::createTable(const QString& path, const TableInfo& design) const {
    for (const auto& f : design.fields)
        if (f.name.contains(QLatin1Char('"')))
            throw EngineError(err::kNotSupported, QStringLiteral("The field name '%1' holds a quote, which schema.ini cannot describe.").arg(f.name));
    const TextLayoutDescription layout = TextTable::create(path, design);
    writeSchemaIni(folderOf(path), fileNameOfPath(path), layout);
}

// What a text file can say of a design is in its schema.ini section, written when the table
// was made; indexes and rules have no place there.
void TextFormat::saveDesign(const QString&, const TableInfo&) const {}

QStringList TextFormat::filesOf(const QString& path) const { return QFileInfo::exists(path) ? QStringList{path} : QStringList(); }

void TextFormat::removeTable(const QString& path) const {
    TableFormat::removeTable(path);
    removeSchemaIniSection(folderOf(path), fileNameOfPath(path));
}

void TextFormat::moveTable(const QString& from, const QString& to) const {
    renameSchemaIniSection(folderOf(from), fileNameOfPath(from), fileNameOfPath(to));
    TableFormat::moveTable(from, to);
}

}  // namespace veranth::engine::isam
