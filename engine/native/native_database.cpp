#include "engine/native/native_database.h"

#include "engine/connect_string.h"
#include "engine/conversions.h"
#include "engine/criteria.h"
#include "engine/errors.h"
#include "engine/native/catalog.h"
#include "engine/native/file_names.h"
#include "engine/native/password_hash.h"

#include <QFileInfo>
#include <QUuid>

#include <sqlite3.h>

namespace veranth::engine::native {

namespace {

void requireName(const QString& name, const char* what) {
    if (name.trimmed().isEmpty())
        throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("a %1 needs a name").arg(QLatin1String(what)));
    if (name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')) || name.contains(QLatin1Char('!')) ||
        name.startsWith(QLatin1Char(' ')))
        throw EngineError(err::kInvalidArgumentEngine,
                          QStringLiteral("'%1' is not a valid name: names cannot hold '[', ']' or '!' or start with a blank").arg(name));
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// An attachment to another native file has a connect of the form ";DATABASE=path".
bool isNativeAttachment(const QString& connect) {
    return connect.trimmed().startsWith(QLatin1Char(';')) && !connectValue(connect, QStringLiteral("DATABASE")).isEmpty();
}

QString attachmentPath(const QString& connect) {
    const QString given = connectValue(connect, QStringLiteral("DATABASE"));
    const QString path = resolveDatabaseFile(given);
    if (path.isEmpty()) throw EngineError(err::kFileNotFound, given);
    requireNativeFile(path, path);
    return QFileInfo(path).canonicalFilePath();
}

TableInfo sourceDesign(const QString& path, const QString& table) {
    auto source = Connection::open(path, true, false);
    for (const TableInfo& t : catalog::loadTables(*source))
        if (sameName(t.name, table) && !t.isAttached()) return t;
    throw EngineError(err::kInputTableNotFound, table);
}

QString columnDefinition(const FieldInfo& f) { return quoteName(f.name) + QLatin1Char(' ') + catalog::storageType(f); }

}  // namespace

std::shared_ptr<NativeDatabase> NativeDatabase::open(std::shared_ptr<EngineContext> context,
                                                     std::shared_ptr<SharedFile> file, QString path, QString connect,
                                                     bool readOnly) {
    std::shared_ptr<NativeDatabase> db(new NativeDatabase());
    db->context_ = std::move(context);
    db->file_ = std::move(file);
    db->path_ = std::move(path);
    db->connect_ = std::move(connect);
    db->readOnly_ = readOnly;
    const QString hash = catalog::setting(db->connection(), QStringLiteral("PasswordHash"));
    if (!hash.isEmpty()) {
        const QString given = connectValue(db->connect_, QStringLiteral("pwd"));
        if (!verifyPassword(given, hash)) throw EngineError(err::kBadPassword, db->path_);
    }
    db->attachKnownSources();
    std::weak_ptr<NativeDatabase> self = db;
    db->tableDefs_.setHooks(
        [self](const std::shared_ptr<TableDef>& t) {
            auto d = self.lock();
            d->createTable(t->info());
            t->markStored(std::static_pointer_cast<SchemaStore>(d));
        },
        [self](const std::shared_ptr<TableDef>& t) { self.lock()->dropTable(t->name()); });
    db->tableDefs_.setRefresh([self] {
        if (auto d = self.lock()) d->loadedGeneration_ = -1;
    });
    db->queryDefs_.setHooks(
        [self](const std::shared_ptr<QueryDef>& q) {
            auto d = self.lock();
            d->saveQuery(q->info(), q->name());
            q->markStored();
        },
        [self](const std::shared_ptr<QueryDef>& q) {
            auto d = self.lock();
            d->requireWritable();
            d->atomically([&] { catalog::deleteQuery(d->connection(), q->name()); });
        });
    return db;
}

SharedFile& NativeDatabase::file() const {
    if (!file_) throw EngineError(err::kInvalidOperation, QStringLiteral("The database is closed."));
    return *file_;
}

void NativeDatabase::requireWritable() const {
    file();
    if (readOnly_) throw EngineError(err::kReadOnly, path_);
}

QString NativeDatabase::version() const { return QStringLiteral("Veranth %1").arg(catalog::kFormatVersion); }

void NativeDatabase::atomically(const std::function<void()>& change) {
    SharedFile& f = file();
    f.beforeWrite();
    Connection& c = f.connection();
    c.exec(QStringLiteral("SAVEPOINT veranth_change"));
    try {
        change();
        c.exec(QStringLiteral("RELEASE veranth_change"));
    } catch (...) {
        c.exec(QStringLiteral("ROLLBACK TO veranth_change"));
        c.exec(QStringLiteral("RELEASE veranth_change"));
        f.schemaChanged();
        throw;
    }
    f.schemaChanged();
}

void NativeDatabase::reloadIfChanged() {
    SharedFile& f = file();
    if (loadedGeneration_ == f.schemaGeneration()) return;
    std::vector<std::shared_ptr<TableDef>> tables;
    std::weak_ptr<SchemaStore> store = std::static_pointer_cast<SchemaStore>(shared_from_this());
    auto view = std::make_shared<sql::StaticCatalog>();
    for (const auto& info : catalog::loadTables(f.connection())) {
        tables.push_back(TableDef::load(info, store));
        view->addTable(info);
    }
    tableDefs_.load(std::move(tables));
    std::vector<std::shared_ptr<QueryDef>> queries;
    std::weak_ptr<QueryRunner> runner = std::static_pointer_cast<QueryRunner>(shared_from_this());
    for (const auto& q : catalog::loadQueries(f.connection())) {
        queries.push_back(std::make_shared<QueryDef>(q, runner, true));
        view->addQuery(q.name, q.sql);
    }
    queryDefs_.load(std::move(queries));
    catalogView_ = std::move(view);
    loadedGeneration_ = f.schemaGeneration();
}

Collection<TableDef>& NativeDatabase::tableDefs() {
    recorded([&] { reloadIfChanged(); });
    return tableDefs_;
}

Collection<QueryDef>& NativeDatabase::queryDefs() {
    recorded([&] { reloadIfChanged(); });
    return queryDefs_;
}

TableInfo NativeDatabase::describedTable(const QString& table) {
    reloadIfChanged();
    auto t = tableDefs_.find(table);
    if (!t) throw EngineError(err::kInputTableNotFound, table);
    return t->info();
}

// A table another tool made has no catalog rows yet: they are written before its design changes.
void NativeDatabase::adoptTable(const TableInfo& table) {
    Connection& c = connection();
    if (!catalog::exists(c)) catalog::create(c);
    Statement s = c.prepare(QStringLiteral("SELECT 1 FROM MSysTables WHERE Name = ?"));
    s.bindText(1, table.name);
    if (!s.step()) catalog::insertTable(c, table);
}

void NativeDatabase::createIndexStorage(const TableInfo& table, IndexInfo& index) {
    requireName(index.name, "index");
    if (index.keys.empty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("index '%1' has no fields").arg(index.name));
    if (index.primary && table.primaryIndex() && !sameName(table.primaryIndex()->name, index.name))
        throw EngineError(err::kNameExists, QStringLiteral("%1 (table '%2' already has the primary key '%3')")
                                                .arg(index.name, table.name, table.primaryIndex()->name));
    QStringList columns, notNull;
    for (auto& key : index.keys) {
        const FieldInfo* f = table.field(key.field);
        if (!f) throw EngineError(err::kItemNotFound, key.field);
        key.field = f->name;
        columns << quoteName(f->name) + (key.descending ? QStringLiteral(" DESC") : QString());
        notNull << quoteName(f->name) + QStringLiteral(" IS NOT NULL");
    }
    Connection& c = connection();
    if (index.primary || index.required) {
        Statement s = c.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE NOT (%2) LIMIT 1")
                                    .arg(quoteName(table.name), notNull.join(QStringLiteral(" AND "))));
        if (s.step())
            throw EngineError::withDescription(
                err::kRequiredIsNull,
                QStringLiteral("Index '%1' cannot be made: some rows of '%2' have no value in its fields.").arg(index.name, table.name));
    }
    index.storageName = QStringLiteral("%1_%2").arg(table.name.left(20), QUuid::createUuid().toString(QUuid::Id128).left(12));
    const bool unique = index.unique || index.primary;
    QString sql = QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                      .arg(unique ? QStringLiteral("UNIQUE ") : QString(), quoteName(index.storageName), quoteName(table.name),
                           columns.join(QStringLiteral(", ")));
    if (index.ignoreNulls) sql += QStringLiteral(" WHERE ") + notNull.join(QStringLiteral(" AND "));
    try {
        c.exec(sql);
    } catch (const EngineError& e) {
        if (e.number() == err::kDuplicateKey)
            throw EngineError::withDescription(
                err::kDuplicateKey,
                QStringLiteral("Index '%1' cannot be made unique: table '%2' already holds duplicate values in its fields.")
                    .arg(index.name, table.name));
        throw;
    }
}

// Joins the files of existing attachments while no transaction can be open yet; a source
// that is missing now is reported when its table is opened.
void NativeDatabase::attachKnownSources() {
    if (file().level() > 0 || !catalog::exists(connection())) return;
    Statement s = connection().prepare(
        QStringLiteral("SELECT Connect FROM MSysTables WHERE (Attributes & %1) <> 0").arg(table_attr::kAttached));
    QStringList connects;
    while (s.step()) connects << s.text(0);
    for (const QString& connect : connects) {
        if (!isNativeAttachment(connect)) continue;
        try {
            file().attach(attachmentPath(connect));
        } catch (const EngineError&) {
        }
    }
}

BridgedDatabase& NativeDatabase::bridgeOf(const TableInfo& link) {
    const QString name = connectValue(link.connect, QStringLiteral("DATABASE"));
    return file().bridge(bridgeKey(name, link.connect), [&] { return openOtherKind(context_, name, link.connect); });
}

NativeDatabase::AttachedSource NativeDatabase::attachedSource(const TableInfo& link) {
    const QString sourceName = link.sourceTableName.isEmpty() ? link.name : link.sourceTableName;
    if (!isNativeAttachment(link.connect)) {
        BridgedDatabase& other = bridgeOf(link);
        const auto def = other.database().tableDefs().find(sourceName);
        if (!def) throw EngineError(err::kInputTableNotFound, sourceName);
        AttachedSource source;
        source.design = def->info();
        source.place = TablePlace{QStringLiteral("temp"), other.virtualTable(sourceName)};
        source.design.name = link.name;
        return source;
    }
    const QString path = attachmentPath(link.connect);
    AttachedSource source;
    source.design = sourceDesign(path, link.sourceTableName.isEmpty() ? link.name : link.sourceTableName);
    source.place = TablePlace{file().attach(path), source.design.name};
    source.design.name = link.name;
    return source;
}

void NativeDatabase::createAttachment(const TableInfo& given) {
    TableInfo link = given;
    const bool odbc = connectPrefix(link.connect).compare(QStringLiteral("ODBC"), Qt::CaseInsensitive) == 0;
    link.attributes |= odbc ? table_attr::kAttachedOdbc : table_attr::kAttached;
    if (link.sourceTableName.isEmpty()) link.sourceTableName = link.name;
    if (isNativeAttachment(link.connect)) {
        link.fields = sourceDesign(attachmentPath(link.connect), link.sourceTableName).fields;
        file().attach(attachmentPath(link.connect));
    }
    link.indexes.clear();
    atomically([&] {
        if (!catalog::exists(connection())) catalog::create(connection());
        catalog::insertTable(connection(), link);
    });
}

void NativeDatabase::createTable(const TableInfo& given) {
    recorded([&] {
        requireWritable();
        requireName(given.name, "table");
        reloadIfChanged();
        if (tableDefs_.contains(given.name)) throw EngineError(err::kTableExists, given.name);
        if (!given.connect.trimmed().isEmpty()) return createAttachment(given);
        if (given.fields.empty())
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("table '%1' has no fields").arg(given.name));
        TableInfo table = given;
        QStringList columns;
        for (size_t i = 0; i < table.fields.size(); ++i) {
            FieldInfo& f = table.fields[i];
            requireName(f.name, "field");
            if (f.type == FieldType::Text && (f.size < 1 || f.size > 255))
                throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("a Text field holds 1 to 255 characters"));
            f.ordinalPosition = static_cast<int>(i);
            columns << columnDefinition(f);
        }
        atomically([&] {
            Connection& c = connection();
            if (!catalog::exists(c)) catalog::create(c);
            c.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(table.name), columns.join(QStringLiteral(", "))));
            TableInfo withoutIndexes = table;
            withoutIndexes.indexes.clear();
            catalog::insertTable(c, withoutIndexes);
            for (auto& index : table.indexes) {
                createIndexStorage(withoutIndexes, index);
                catalog::insertIndex(c, table.name, index);
                withoutIndexes.indexes.push_back(index);
            }
        });
    });
}

void NativeDatabase::dropTable(const QString& name) {
    recorded([&] {
        requireWritable();
        const TableInfo table = describedTable(name);
        if (table.isSystem()) throw EngineError(err::kReadOnly, name);
        atomically([&] {
            if (!table.isAttached()) connection().exec(QStringLiteral("DROP TABLE %1").arg(quoteName(table.name)));
            if (catalog::exists(connection())) catalog::deleteTable(connection(), table.name);
        });
    });
}

void NativeDatabase::renameTable(const QString& from, const QString& to) {
    recorded([&] {
        requireWritable();
        requireName(to, "table");
        const TableInfo table = describedTable(from);
        if (table.isSystem()) throw EngineError(err::kReadOnly, from);
        if (!sameName(from, to) && tableDefs_.contains(to)) throw EngineError(err::kTableExists, to);
        atomically([&] {
            adoptTable(table);
            if (!table.isAttached())
                connection().exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteName(table.name), quoteName(to)));
            catalog::renameTable(connection(), table.name, to);
        });
    });
}

void NativeDatabase::updateTable(const TableInfo& changed) {
    recorded([&] {
        requireWritable();
        const TableInfo table = describedTable(changed.name);
        atomically([&] {
            adoptTable(table);
            catalog::updateTable(connection(), changed);
        });
    });
}

void NativeDatabase::addField(const QString& tableName, const FieldInfo& given) {
    recorded([&] {
        requireWritable();
        requireName(given.name, "field");
        const TableInfo table = describedTable(tableName);
        if (table.field(given.name)) throw EngineError(err::kFieldDefinedTwice, given.name);
        FieldInfo field = given;
        field.ordinalPosition = static_cast<int>(table.fields.size());
        atomically([&] {
            adoptTable(table);
            connection().exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteName(table.name), columnDefinition(field)));
            catalog::insertField(connection(), table.name, field);
            catalog::touchTable(connection(), table.name);
        });
    });
}

const FieldInfo* NativeDatabase::unindexedField(const TableInfo& table, const QString& fieldName) {
    const FieldInfo* field = table.field(fieldName);
    if (!field) throw EngineError(err::kItemNotFound, fieldName);
    for (const auto& index : table.indexes)
        for (const auto& key : index.keys)
            if (sameName(key.field, fieldName))
                throw EngineError(err::kInvalidOperation,
                                  QStringLiteral("The field '%1' is part of the index '%2'; delete the index first.")
                                      .arg(field->name, index.name));
    return field;
}

void NativeDatabase::changeFieldType(const QString& tableName, const FieldInfo& given) {
    recorded([&] {
        requireWritable();
        const TableInfo table = describedTable(tableName);
        const FieldInfo old = *unindexedField(table, given.name);
        FieldInfo changed = old;
        changed.type = given.type;
        changed.size = given.size > 0 ? given.size : defaultFieldSize(given.type);
        changed.attributes = given.attributes;
        FieldInfo scratch = changed;
        scratch.name = QStringLiteral("vx_altered_") + old.name;
        atomically([&] {
            adoptTable(table);
            Connection& c = connection();
            c.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteName(table.name), columnDefinition(scratch)));
            // Every stored value is converted by the new type's rules; one that does not fit fails
            // the whole change, so no value is lost or cut on the way.
            Statement read = c.prepare(QStringLiteral("SELECT rowid, %1 FROM %2").arg(quoteName(old.name), quoteName(table.name)));
            Statement write = c.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(quoteName(table.name), quoteName(scratch.name)));
            while (read.step()) {
                const Value value = read.value(1, old.type);
                if (value.isNull()) continue;
                const Value converted = coerceForField(value, changed.type, changed.name);
                if ((changed.type == FieldType::Text) && toText(converted).size() > changed.size)
                    throw EngineError(err::kFieldTooSmall, changed.name);
                write.reset();
                write.bind(1, converted, changed.type);
                write.bindInt64(2, read.int64(0));
                write.step();
            }
            c.exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteName(table.name), quoteName(old.name)));
            c.exec(QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3")
                       .arg(quoteName(table.name), quoteName(scratch.name), quoteName(old.name)));
            catalog::deleteField(c, table.name, old.name);
            catalog::insertField(c, table.name, changed);
            catalog::touchTable(c, table.name);
        });
    });
}

void NativeDatabase::dropField(const QString& tableName, const QString& fieldName) {
    recorded([&] {
        requireWritable();
        const TableInfo table = describedTable(tableName);
        const FieldInfo* field = unindexedField(table, fieldName);
        atomically([&] {
            adoptTable(table);
            connection().exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteName(table.name), quoteName(field->name)));
            catalog::deleteField(connection(), table.name, field->name);
            catalog::touchTable(connection(), table.name);
        });
    });
}

void NativeDatabase::renameField(const QString& tableName, const QString& from, const QString& to) {
    recorded([&] {
        requireWritable();
        requireName(to, "field");
        const TableInfo table = describedTable(tableName);
        const FieldInfo* field = table.field(from);
        if (!field) throw EngineError(err::kItemNotFound, from);
        if (!sameName(from, to) && table.field(to)) throw EngineError(err::kFieldDefinedTwice, to);
        atomically([&] {
            adoptTable(table);
            connection().exec(QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3")
                                  .arg(quoteName(table.name), quoteName(field->name), quoteName(to)));
            catalog::renameField(connection(), table.name, field->name, to);
            // Index field lists name the field too.
            for (IndexInfo index : table.indexes) {
                bool uses = false;
                for (auto& key : index.keys)
                    if (sameName(key.field, from)) {
                        key.field = to;
                        uses = true;
                    }
                if (!uses) continue;
                catalog::deleteIndex(connection(), table.name, index.name);
                catalog::insertIndex(connection(), table.name, index);
            }
        });
    });
}

void NativeDatabase::updateField(const QString& tableName, const FieldInfo& changed) {
    recorded([&] {
        requireWritable();
        const TableInfo table = describedTable(tableName);
        const FieldInfo* current = table.field(changed.name);
        if (!current) throw EngineError(err::kItemNotFound, changed.name);
        const QString column = quoteName(current->name);
        auto anyRow = [&](const QString& condition) {
            Statement s = connection().prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1").arg(quoteName(table.name), condition));
            return s.step();
        };
        if (changed.required && !current->required && anyRow(column + QStringLiteral(" IS NULL")))
            throw EngineError::withDescription(
                err::kRequiredIsNull,
                QStringLiteral("The field '%1' cannot be made Required: some rows have no value in it. Fill them first.").arg(current->name));
        if (isTextual(current->type) && !changed.allowZeroLength && current->allowZeroLength && anyRow(column + QStringLiteral(" = ''")))
            throw EngineError::withDescription(
                err::kZeroLengthNotAllowed,
                QStringLiteral("Zero-length strings cannot be refused in '%1': some rows hold one.").arg(current->name));
        if (!changed.validationRule.trimmed().isEmpty()) Criteria::parseRule(changed.validationRule, changed.name);
        atomically([&] {
            adoptTable(table);
            catalog::updateField(connection(), table.name, changed);
            catalog::touchTable(connection(), table.name);
        });
    });
}

void NativeDatabase::addIndex(const QString& tableName, const IndexInfo& given) {
    recorded([&] {
        requireWritable();
        const TableInfo table = describedTable(tableName);
        for (const auto& i : table.indexes)
            if (sameName(i.name, given.name)) throw EngineError(err::kNameExists, given.name);
        IndexInfo index = given;
        atomically([&] {
            adoptTable(table);
            createIndexStorage(table, index);
            catalog::insertIndex(connection(), table.name, index);
            catalog::touchTable(connection(), table.name);
        });
    });
}

void NativeDatabase::dropIndex(const QString& tableName, const QString& indexName) {
    recorded([&] {
        requireWritable();
        const TableInfo table = describedTable(tableName);
        const IndexInfo* found = nullptr;
        for (const auto& i : table.indexes)
            if (sameName(i.name, indexName)) found = &i;
        if (!found) throw EngineError(err::kItemNotFound, indexName);
        atomically([&] {
            adoptTable(table);
            connection().exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(quoteName(found->storageName)));
            catalog::deleteIndex(connection(), table.name, found->name);
            catalog::touchTable(connection(), table.name);
        });
    });
}

void NativeDatabase::renameIndex(const QString& tableName, const QString& from, const QString& to) {
    recorded([&] {
        requireWritable();
        requireName(to, "index");
        const TableInfo table = describedTable(tableName);
        atomically([&] {
            adoptTable(table);
            catalog::renameIndex(connection(), table.name, from, to);
            catalog::touchTable(connection(), table.name);
        });
    });
}

std::int64_t NativeDatabase::countRows(const QString& tableName) {
    return recorded([&] {
        const TableInfo table = describedTable(tableName);
        const QString place = table.isAttached() ? attachedSource(table).place.sql() : quoteName(table.name);
        Statement s = connection().prepare(QStringLiteral("SELECT count(*) FROM %1").arg(place));
        s.step();
        return s.int64(0);
    });
}

std::shared_ptr<Recordset> NativeDatabase::openRecordset(const QString& source, RecordsetType type, int options) {
    return recorded([&]() -> std::shared_ptr<Recordset> {
        reloadIfChanged();
        const bool readOnly = readOnly_ || (options & rs_option::kReadOnly);
        if (auto table = tableDefs_.find(source.trimmed())) {
            TableInfo info = table->info();
            TablePlace place{QStringLiteral("main"), info.name};
            if (table->isAttached() && !isNativeAttachment(info.connect)) {
                // Another kind's table opens through its own database, which knows how to page it.
                if (type == RecordsetType::Table)
                    throw EngineError(err::kNotSupported,
                                      QStringLiteral("An attached table opens as a dynaset or a snapshot, not as a table."));
                const QString sourceName = info.sourceTableName.isEmpty() ? info.name : info.sourceTableName;
                return bridgeOf(info).database().openRecordset(
                    sourceName, type == RecordsetType::Default ? RecordsetType::Dynaset : type, options);
            }
            if (table->isAttached()) {
                if (type == RecordsetType::Table)
                    throw EngineError(err::kNotSupported,
                                      QStringLiteral("An attached table opens as a dynaset or a snapshot, not as a table."));
                AttachedSource source = attachedSource(info);
                info = source.design;
                place = source.place;
                if (type == RecordsetType::Default) type = RecordsetType::Dynaset;
            }
            const bool forwardOnly = type == RecordsetType::ForwardOnly || (options & rs_option::kForwardOnly);
            if (type == RecordsetType::Snapshot || forwardOnly) {
                QStringList columns;
                for (const auto& f : info.fields) columns << quoteName(f.name);
                auto backend = std::make_shared<MaterialisedBackend>(
                    file_, QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), place.sql()),
                    BoundValues{}, info.fields, forwardOnly);
                return Recordset::open(forwardOnly ? RecordsetType::ForwardOnly : RecordsetType::Snapshot, info.name,
                                       backend, true, context_->errors);
            }
            auto backend = std::make_shared<KeysetBackend>(file_, info, WhereOrder{}, !readOnly && table->updatable(),
                                                           QStringLiteral("System tables cannot be changed."), place);
            if (options & rs_option::kAppendOnly) backend->startEmpty();
            const RecordsetType actual = type == RecordsetType::Default ? RecordsetType::Table : type;
            return Recordset::open(actual, info.name, backend, readOnly, context_->errors);
        }
        if (auto query = queryDefs_.find(source.trimmed())) return openQuery(*query, type, options);
        return openStatement(source, source, nullptr, type, options);
    });
}

void NativeDatabase::saveQuery(const QueryInfo& info, const QString& previousName) {
    recorded([&] {
        requireWritable();
        requireName(info.name, "query");
        reloadIfChanged();
        if (tableDefs_.contains(info.name)) throw EngineError(err::kTableExists, info.name);
        if (!sameName(info.name, previousName) && queryDefs_.contains(info.name)) throw EngineError(err::kNameExists, info.name);
        atomically([&] {
            if (!catalog::exists(connection())) catalog::create(connection());
            catalog::saveQuery(connection(), info, previousName);
        });
        loadedGeneration_ = -1;
    });
}

std::shared_ptr<QueryDef> NativeDatabase::createQueryDef(const QString& name, const QString& sql) {
    return recorded([&] {
        QueryInfo info;
        info.name = name;
        info.sql = sql;
        info.dateCreated = currentDateSerial();
        std::weak_ptr<QueryRunner> runner = std::static_pointer_cast<QueryRunner>(shared_from_this());
        auto query = std::make_shared<QueryDef>(info, runner, false);
        if (!name.isEmpty()) queryDefs().append(query);
        return query;
    });
}

void NativeDatabase::newPassword(const QString& oldPassword, const QString& password) {
    recorded([&] {
        requireWritable();
        const QString hash = catalog::setting(connection(), QStringLiteral("PasswordHash"));
        if (!hash.isEmpty() && !verifyPassword(oldPassword, hash)) throw EngineError(err::kBadPassword, path_);
        atomically([&] {
            if (!catalog::exists(connection())) catalog::create(connection());
            catalog::setSetting(connection(), QStringLiteral("PasswordHash"), password.isEmpty() ? QString() : hashPassword(password));
        });
        connect_ = password.isEmpty() ? QString() : QStringLiteral(";pwd=") + password;
    });
}

void NativeDatabase::beginLevel() { file().beginLevel(); }
void NativeDatabase::commitLevel() { file().commitLevel(); }
void NativeDatabase::rollbackLevel() { file().rollbackLevel(); }
int NativeDatabase::transactionLevel() const { return file_ ? file_->level() : 0; }

void NativeDatabase::close() {
    file_.reset();
    tableDefs_.load({});
    queryDefs_.load({});
}

}  // namespace veranth::engine::native
