#include "engine/isam/folder_database.h"

#include "engine/criteria.h"
#include "engine/isam/file_recordsets.h"
#include "engine/isam/folder_files.h"
#include "engine/isam/isam_errors.h"
#include "engine/isam/row_selection.h"

#include <QDir>
#include <QFileInfo>

namespace veranth::engine::isam {

namespace {

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

void requireTableName(const QString& name) {
    if (name.trimmed().isEmpty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("a table needs a name"));
    for (QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20 ||
            c == QLatin1Char('[') || c == QLatin1Char(']'))
            throw EngineError(err::kInvalidArgumentEngine,
                              QStringLiteral("'%1' is not a valid table name: it cannot hold '%2'").arg(name, QString(c)));
}

void requireIndexFields(const TableInfo& table, IndexInfo& index) {
    if (index.name.trimmed().isEmpty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("an index needs a name"));
    if (index.keys.empty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("index '%1' has no fields").arg(index.name));
    for (auto& key : index.keys) {
        const FieldInfo* f = table.field(key.field);
        if (!f) throw EngineError(err::kItemNotFound, key.field);
        key.field = f->name;
    }
}

std::vector<QString> sameFields(const TableInfo& design) {
    std::vector<QString> names;
    for (const auto& f : design.fields) names.push_back(f.name);
    return names;
}

const QString kStatementsNote = QStringLiteral(
    "Statements on a folder of table files are run from a native database, through an attached table or an IN clause.");

}  // namespace

std::shared_ptr<FolderDatabase> FolderDatabase::open(std::shared_ptr<EngineContext> context,
                                                     std::shared_ptr<const TableFormat> format,
                                                     std::shared_ptr<TableFileRegistry> registry, const QString& given,
                                                     QString connect, bool readOnly) {
    QFileInfo info(given.trimmed());
    if (info.isFile()) info = QFileInfo(info.absolutePath());
    if (given.trimmed().isEmpty() || !info.isDir()) throw EngineError(err::kFileNotFound, given);
    std::shared_ptr<FolderDatabase> db(new FolderDatabase());
    db->context_ = std::move(context);
    db->format_ = std::move(format);
    db->registry_ = std::move(registry);
    db->folder_ = info.absoluteFilePath();
    db->connect_ = std::move(connect);
    db->readOnly_ = readOnly;
    std::weak_ptr<FolderDatabase> self = db;
    db->tableDefs_.setHooks(
        [self](const std::shared_ptr<TableDef>& t) {
            auto d = self.lock();
            d->createTable(t->info());
            t->markStored(std::static_pointer_cast<SchemaStore>(d));
        },
        [self](const std::shared_ptr<TableDef>& t) { self.lock()->dropTable(t->name()); });
    db->tableDefs_.setRefresh([self] {
        if (auto d = self.lock()) d->reload();
    });
    return db;
}

void FolderDatabase::close() {
    if (!open_) return;
    open_ = false;
    // Rows added through recordsets still open are written now, not when the last one goes.
    registry_->flushFolder(folder_);
}

void FolderDatabase::requireOpen() const {
    if (!open_) throw EngineError(err::kInvalidOperation, QStringLiteral("The database is closed."));
}

void FolderDatabase::requireWritable() const {
    requireOpen();
    if (readOnly_) throw EngineError(err::kReadOnly, folder_);
}

QString FolderDatabase::existingTablePath(const QString& table) const {
    const QString path = format_->tablePath(folder_, table.trimmed());
    if (path.isEmpty()) throw EngineError(err::kInputTableNotFound, table);
    return path;
}

std::shared_ptr<TableFile> FolderDatabase::tableFile(const QString& table) {
    requireOpen();
    const QString path = existingTablePath(table);
    return registry_->open(path, readOnly_, [&] { return format_->openTable(path, readOnly_); });
}

void FolderDatabase::reload() {
    std::vector<std::shared_ptr<TableDef>> tables;
    std::weak_ptr<SchemaStore> store = std::static_pointer_cast<SchemaStore>(shared_from_this());
    for (const QString& name : format_->tableNames(folder_)) {
        TableInfo info;
        try {
            info = tableFile(name)->design();
        } catch (const EngineError&) {
            // A damaged file is still listed; opening it reports what is wrong.
        }
        info.name = name;
        tables.push_back(TableDef::load(info, store));
    }
    tableDefs_.load(std::move(tables));
}

Collection<TableDef>& FolderDatabase::tableDefs() {
    recorded([&] {
        requireOpen();
        reload();
    });
    return tableDefs_;
}

void FolderDatabase::execute(const QString&, int) {
    recorded([&] { throw EngineError(err::kNotSupported, kStatementsNote); });
}

std::shared_ptr<QueryDef> FolderDatabase::createQueryDef(const QString&, const QString&) {
    return recorded([&]() -> std::shared_ptr<QueryDef> {
        throw EngineError(err::kNotSupported, QStringLiteral("A folder of %1 tables keeps no queries. %2").arg(format_->name(), kStatementsNote));
    });
}

std::shared_ptr<Recordset> FolderDatabase::openRecordset(const QString& source, RecordsetType type, int options) {
    return recorded([&]() -> std::shared_ptr<Recordset> {
        requireOpen();
        QString table = source.trimmed();
        if (format_->tablePath(folder_, table).isEmpty()) {
            const QString named = tableOfPlainSelect(source);
            if (named.isEmpty()) {
                if (!table.contains(QLatin1Char(' '))) throw EngineError(err::kInputTableNotFound, source);
                throw EngineError(err::kNotSupported, kStatementsNote);
            }
            if (type == RecordsetType::Table)
                throw EngineError(err::kNotSupported, QStringLiteral("A table-type recordset opens a table, not a statement."));
            table = named;
            if (type == RecordsetType::Default) type = RecordsetType::Dynaset;
        }
        auto file = tableFile(table);
        return openFileRecordset(context_, file, QFileInfo(file->path()).completeBaseName(), type, options, readOnly_,
                                 QStringLiteral("The database was opened read-only."));
    });
}

void FolderDatabase::createTable(const TableInfo& given) {
    recorded([&] {
        requireWritable();
        requireTableName(given.name);
        if (!format_->tablePath(folder_, given.name).isEmpty()) throw EngineError(err::kTableExists, given.name);
        if (!given.connect.trimmed().isEmpty())
            throw EngineError(err::kNotSupported, QStringLiteral("A folder of %1 tables cannot hold attached tables.").arg(format_->name()));
        if (given.fields.empty())
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("table '%1' has no fields").arg(given.name));
        TableInfo table = given;
        for (size_t i = 0; i < table.fields.size(); ++i) {
            table.fields[i].ordinalPosition = static_cast<int>(i);
            for (size_t j = 0; j < i; ++j)
                if (sameName(table.fields[i].name, table.fields[j].name)) throw EngineError(err::kFieldDefinedTwice, table.fields[i].name);
        }
        // A format without indexes makes the table without them, so that copying a design
        // with its indexes into it still succeeds.
        if (!format_->keepsIndexes()) table.indexes.clear();
        for (auto& index : table.indexes) requireIndexFields(table, index);
        const QString path = format_->newTablePath(folder_, table.name);
        // Built under a temporary name and moved into place when complete.
        const QString temporary = withExtension(temporarySibling(path), QFileInfo(path).suffix());
        try {
            format_->createTable(temporary, table);
            format_->moveTable(temporary, path);
        } catch (...) {
            format_->removeTable(temporary);
            throw;
        }
        registry_->forget(path);
    });
}

void FolderDatabase::dropTable(const QString& table) {
    recorded([&] {
        requireWritable();
        const QString path = existingTablePath(table);
        registry_->forget(path);
        format_->removeTable(path);
    });
}

void FolderDatabase::renameTable(const QString& from, const QString& to) {
    recorded([&] {
        requireWritable();
        requireTableName(to);
        const QString path = existingTablePath(from);
        const QString target = format_->newTablePath(folder_, to);
        const QString existing = format_->tablePath(folder_, to);
        if (!existing.isEmpty() && QFileInfo(existing) != QFileInfo(path)) throw EngineError(err::kTableExists, to);
        registry_->forget(path);
        format_->moveTable(path, target);
    });
}

void FolderDatabase::changeDesign(const QString& table, const std::function<void(TableInfo&)>& change) {
    requireWritable();
    if (!format_->keepsIndexes())
        throw EngineError(err::kNotSupported, QStringLiteral("%1 tables keep no indexes, rules or field properties.").arg(format_->name()));
    auto file = tableFile(table);
    TableInfo design = file->design();
    change(design);
    format_->saveDesign(file->path(), design);
    registry_->forget(file->path());
}

void FolderDatabase::updateTable(const TableInfo& changed) {
    recorded([&] {
        if (!changed.validationRule.trimmed().isEmpty()) Criteria::parse(changed.validationRule);
        changeDesign(changed.name, [&](TableInfo& d) {
            d.validationRule = changed.validationRule;
            d.validationText = changed.validationText;
        });
    });
}

void FolderDatabase::updateField(const QString& table, const FieldInfo& changed) {
    recorded([&] {
        if (!changed.validationRule.trimmed().isEmpty()) Criteria::parseRule(changed.validationRule, changed.name);
        changeDesign(table, [&](TableInfo& d) {
            for (auto& f : d.fields)
                if (sameName(f.name, changed.name)) {
                    f.required = changed.required;
                    f.allowZeroLength = changed.allowZeroLength;
                    f.defaultValue = changed.defaultValue;
                    f.validationRule = changed.validationRule;
                    f.validationText = changed.validationText;
                    return;
                }
            throw EngineError(err::kItemNotFound, changed.name);
        });
    });
}

void FolderDatabase::addIndex(const QString& table, const IndexInfo& given) {
    recorded([&] {
        requireWritable();
        if (!format_->keepsIndexes())
            throw EngineError(err::kNotSupported, QStringLiteral("%1 tables keep no indexes.").arg(format_->name()));
        auto file = tableFile(table);
        TableInfo design = file->design();
        for (const auto& i : design.indexes)
            if (sameName(i.name, given.name)) throw EngineError(err::kNameExists, given.name);
        IndexInfo index = given;
        requireIndexFields(design, index);
        if (index.primary)
            for (const auto& i : design.indexes)
                if (i.primary)
                    throw EngineError(err::kNameExists, QStringLiteral("%1 (table '%2' already has the primary key '%3')")
                                                            .arg(index.name, design.name, i.name));
        // The rows already there must obey the new index.
        RowSelection order = RowSelection::ofIndex(design, RowSelection(), index);
        std::vector<Value> previous, row;
        bool first = true;
        for (std::int64_t r : order.chooseRecords(*file)) {
            file->read(r, row);
            bool anyNull = false, allNull = true;
            for (const auto& key : order.order()) {
                anyNull = anyNull || row[static_cast<size_t>(key.column)].isNull();
                allNull = allNull && row[static_cast<size_t>(key.column)].isNull();
            }
            if ((index.primary || index.required) && anyNull)
                throw EngineError::withDescription(
                    err::kRequiredIsNull,
                    QStringLiteral("Index '%1' cannot be made: some rows of '%2' have no value in its fields.").arg(index.name, design.name));
            const bool skip = allNull || (anyNull && index.ignoreNulls);
            if ((index.unique || index.primary) && !skip && !first && order.compareRows(previous, row) == 0)
                throw EngineError::withDescription(
                    err::kDuplicateKey,
                    QStringLiteral("Index '%1' cannot be made unique: table '%2' already holds duplicate values in its fields.")
                        .arg(index.name, design.name));
            if (!skip) {
                previous = row;
                first = false;
            }
        }
        design.indexes.push_back(index);
        format_->saveDesign(file->path(), design);
        registry_->forget(file->path());
    });
}

void FolderDatabase::dropIndex(const QString& table, const QString& index) {
    recorded([&] {
        changeDesign(table, [&](TableInfo& d) {
            const auto before = d.indexes.size();
            std::erase_if(d.indexes, [&](const IndexInfo& i) { return sameName(i.name, index); });
            if (d.indexes.size() == before) throw EngineError(err::kItemNotFound, index);
        });
    });
}

void FolderDatabase::renameIndex(const QString& table, const QString& from, const QString& to) {
    recorded([&] {
        changeDesign(table, [&](TableInfo& d) {
            for (const auto& i : d.indexes)
                if (!sameName(from, to) && sameName(i.name, to)) throw EngineError(err::kNameExists, to);
            for (auto& i : d.indexes)
                if (sameName(i.name, from)) {
                    i.name = to;
                    return;
                }
            throw EngineError(err::kItemNotFound, from);
        });
    });
}

void FolderDatabase::rewriteTable(const QString& table, const TableInfo& design, const std::vector<QString>& sourceOf) {
    requireWritable();
    auto old = tableFile(table);
    const QString path = old->path();
    const QString temporary = withExtension(temporarySibling(path), QFileInfo(path).suffix());
    try {
        format_->createTable(temporary, design);
        {
            auto fresh = format_->openTable(temporary, false);
            std::vector<int> column;
            for (const QString& name : sourceOf) {
                int c = -1;
                for (size_t i = 0; i < old->design().fields.size(); ++i)
                    if (!name.isEmpty() && sameName(old->design().fields[i].name, name)) c = static_cast<int>(i);
                column.push_back(c);
            }
            std::vector<Value> row, values(design.fields.size());
            for (std::int64_t r = 0; r < old->recordCount(); ++r) {
                if (old->isDeleted(r)) continue;
                old->read(r, row);
                for (size_t i = 0; i < column.size(); ++i) values[i] = column[i] < 0 ? Value::null() : row[static_cast<size_t>(column[i])];
                fresh->append(values);
            }
            fresh->flush();
        }
        registry_->forget(path);
        old.reset();
        format_->moveTable(temporary, path);
    } catch (...) {
        format_->removeTable(temporary);
        throw;
    }
}

void FolderDatabase::addField(const QString& table, const FieldInfo& field) {
    recorded([&] {
        TableInfo design = tableFile(table)->design();
        if (design.field(field.name)) throw EngineError(err::kFieldDefinedTwice, field.name);
        std::vector<QString> sourceOf = sameFields(design);
        FieldInfo added = field;
        added.ordinalPosition = static_cast<int>(design.fields.size());
        design.fields.push_back(added);
        sourceOf.push_back(QString());
        rewriteTable(table, design, sourceOf);
    });
}

void FolderDatabase::dropField(const QString& table, const QString& field) {
    recorded([&] {
        TableInfo design = tableFile(table)->design();
        if (!design.field(field)) throw EngineError(err::kItemNotFound, field);
        for (const auto& index : design.indexes)
            for (const auto& key : index.keys)
                if (sameName(key.field, field))
                    throw EngineError(err::kInvalidOperation,
                                      QStringLiteral("The field '%1' is part of the index '%2'; delete the index first.").arg(field, index.name));
        std::erase_if(design.fields, [&](const FieldInfo& f) { return sameName(f.name, field); });
        rewriteTable(table, design, sameFields(design));
    });
}

void FolderDatabase::renameField(const QString& table, const QString& from, const QString& to) {
    recorded([&] {
        TableInfo design = tableFile(table)->design();
        if (!design.field(from)) throw EngineError(err::kItemNotFound, from);
        if (!sameName(from, to) && design.field(to)) throw EngineError(err::kFieldDefinedTwice, to);
        std::vector<QString> sourceOf = sameFields(design);
        for (auto& f : design.fields)
            if (sameName(f.name, from)) f.name = to;
        for (auto& index : design.indexes)
            for (auto& key : index.keys)
                if (sameName(key.field, from)) key.field = to;
        rewriteTable(table, design, sourceOf);
    });
}

std::int64_t FolderDatabase::countRows(const QString& table) {
    return recorded([&] {
        auto file = tableFile(table);
        std::int64_t live = 0;
        for (std::int64_t r = 0; r < file->recordCount(); ++r)
            if (!file->isDeleted(r)) ++live;
        return live;
    });
}

}  // namespace veranth::engine::isam
