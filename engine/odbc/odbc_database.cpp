#include "engine/odbc/odbc_database.h"

#include "engine/errors.h"
#include "engine/odbc/odbc_backends.h"
#include "engine/odbc/odbc_catalog.h"
#include "engine/odbc/odbc_dialect.h"

#include <QRegularExpression>

namespace veranth::engine::odbc {

namespace {

struct PlainSelect {
    QString table, where, orderBy;
};

QString unbracketed(const QString& name) {
    const QString t = name.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) return t.mid(1, t.size() - 2);
    return t;
}

// "SELECT * FROM table [WHERE ...] [ORDER BY ...]": the one table a dynaset can write to.
std::optional<PlainSelect> plainSelect(const QString& sql) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+FROM\s+(\[[^\]]+\]|[\w$#@]+)\s*(?:WHERE\s+(.*?))?\s*(?:ORDER\s+BY\s+(.*?))?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = pattern.match(sql);
    if (!m.hasMatch()) return std::nullopt;
    return PlainSelect{unbracketed(m.captured(1)), m.captured(2).trimmed(), m.captured(3).trimmed()};
}

// A source that is one name: "Clients", "[Order Details]".
bool isBareName(const QString& source) {
    const QString t = source.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')) && t.count(QLatin1Char(']')) == 1) return true;
    static const QRegularExpression word(QStringLiteral(R"(^[\w$#@.]+$)"));
    return word.match(t).hasMatch();
}

// The server's name for an engine type, as CREATE TABLE writes it.
QString serverType(const FieldInfo& f, const QString& dbms) {
    const bool postgres = dbms.contains(QLatin1String("postgres"), Qt::CaseInsensitive);
    switch (f.type) {
    case FieldType::Boolean: return postgres ? QStringLiteral("boolean") : QStringLiteral("bit");
    case FieldType::Byte: return QStringLiteral("smallint");
    case FieldType::Integer: return QStringLiteral("smallint");
    case FieldType::Long: return QStringLiteral("integer");
    case FieldType::Currency: return QStringLiteral("decimal(19,4)");
    case FieldType::Single: return QStringLiteral("real");
    case FieldType::Double: return postgres ? QStringLiteral("double precision") : QStringLiteral("float");
    case FieldType::Date: return postgres ? QStringLiteral("timestamp") : QStringLiteral("datetime");
    case FieldType::Binary: return postgres ? QStringLiteral("bytea") : QStringLiteral("varbinary(%1)").arg(std::max(1, f.size));
    case FieldType::LongBinary: return postgres ? QStringLiteral("bytea") : QStringLiteral("image");
    case FieldType::Memo: return postgres ? QStringLiteral("text") : QStringLiteral("text");
    case FieldType::Text: return QStringLiteral("varchar(%1)").arg(std::max(1, f.size));
    }
    return QStringLiteral("varchar(255)");
}

}  // namespace

std::shared_ptr<OdbcDatabase> OdbcDatabase::open(std::shared_ptr<EngineContext> context, const QString& connect,
                                                 const ConnectOptions& options) {
    std::shared_ptr<OdbcDatabase> db(new OdbcDatabase());
    db->context_ = std::move(context);
    db->link_ = DriverConnection::open(connect, options);
    db->readOnly_ = options.readOnly;
    db->tableDefs_.setHooks(
        [db = std::weak_ptr<OdbcDatabase>(db)](const std::shared_ptr<TableDef>& t) {
            auto self = db.lock();
            if (!self) throw EngineError(err::kInvalidOperation, QStringLiteral("The database is closed."));
            self->createTable(t->info());
            t->markStored(std::weak_ptr<SchemaStore>(std::static_pointer_cast<SchemaStore>(self)));
        },
        [db = std::weak_ptr<OdbcDatabase>(db)](const std::shared_ptr<TableDef>& t) {
            if (auto self = db.lock()) self->dropTable(t->name());
        });
    db->tableDefs_.setRefresh([db = std::weak_ptr<OdbcDatabase>(db)] {
        if (auto self = db.lock()) {
            self->tablesLoaded_ = false;
            self->tableDefs();
        }
    });
    return db;
}

QString OdbcDatabase::name() const { return QStringLiteral("ODBC;") + withoutPassword(link_->connectString()); }
QString OdbcDatabase::connect() const { return QStringLiteral("ODBC;") + link_->connectString(); }

void OdbcDatabase::requireOpen() const {
    if (!link_->isOpen() || link_->isLost())
        throw EngineError(err::kInvalidOperation, QStringLiteral("The ODBC database is closed."));
}

void OdbcDatabase::requireWritable() const {
    requireOpen();
    if (readOnly_) throw EngineError(err::kReadOnly, name());
}

QString OdbcDatabase::quoted(const QString& name) const { return quoteIdentifier(name, link_->identifierQuote()); }

QString OdbcDatabase::driverSql(const QString& dialect) const {
    QString why;
    if (auto text = toDriverSql(dialect, link_->identifierQuote(), &why)) return *text;
    throw EngineError::withDescription(
        err::kOdbcCallFailed,
        QStringLiteral("ODBC--call failed. The statement uses %1, which this server cannot run; send it in the "
                       "server's own SQL as a pass-through statement.")
            .arg(why));
}

void OdbcDatabase::beforeWrite() {
    for (auto& weak : snapshots_)
        if (auto s = weak.lock()) s->readRest();
    snapshots_.clear();
}

Collection<TableDef>& OdbcDatabase::tableDefs() {
    recorded([&] {
        requireOpen();
        if (tablesLoaded_) return;
        tables_ = loadTables(link_);
        std::vector<std::shared_ptr<TableDef>> defs;
        auto store = std::weak_ptr<SchemaStore>(std::static_pointer_cast<SchemaStore>(shared_from_this()));
        for (const TableInfo& t : tables_) defs.push_back(TableDef::load(t, store));
        tableDefs_.load(std::move(defs));
        tablesLoaded_ = true;
    });
    return tableDefs_;
}

const TableInfo* OdbcDatabase::knownTable(const QString& name) {
    tableDefs();
    for (const TableInfo& t : tables_)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

void OdbcDatabase::run(const QString& sql) {
    Statement s(link_);
    s.setQueryTimeout(queryTimeout());
    s.execute(sql);
    setRecordsAffected(std::max<std::int64_t>(0, s.rowCount()));
}

void OdbcDatabase::execute(const QString& sql, int options) {
    recorded([&] {
        requireWritable();
        beforeWrite();
        Statement s(link_);
        s.setQueryTimeout(queryTimeout());
        if (options & exec_option::kSqlPassThrough) {
            s.execute(sql);
        } else {
            const QString text = driverSql(sql);
            static const QRegularExpression select(QStringLiteral(R"(^\s*(SELECT|TRANSFORM)\b)"), QRegularExpression::CaseInsensitiveOption);
            if (select.match(text).hasMatch() && !text.contains(QRegularExpression(QStringLiteral(R"(\bINTO\b)"), QRegularExpression::CaseInsensitiveOption)))
                throw EngineError(err::kCannotExecuteSelect);
            s.execute(text);
        }
        setRecordsAffected(std::max<std::int64_t>(0, s.rowCount()));
    });
}

std::shared_ptr<RecordsetBackend> OdbcDatabase::resultBackend(const QString& sql) {
    auto statement = std::make_unique<Statement>(link_);
    statement->setQueryTimeout(queryTimeout());
    if (!statement->execute(sql)) throw EngineError(err::kInvalidOperation, QStringLiteral("The statement returns no rows."));
    std::weak_ptr<OdbcDatabase> self = shared_from_this();
    auto backend = std::make_shared<ResultBackend>(
        std::move(statement), [self, sql](const QString& filter, const QString& sort) -> std::shared_ptr<RecordsetBackend> {
            auto db = self.lock();
            if (!db) throw EngineError(err::kInvalidOperation, QStringLiteral("The database is closed."));
            if (filter.isEmpty() && sort.isEmpty()) return db->resultBackend(sql);
            QString wrapped = QStringLiteral("SELECT * FROM (") + sql + QStringLiteral(") q");
            if (!filter.isEmpty()) wrapped += QStringLiteral(" WHERE ") + db->driverSql(filter);
            if (!sort.isEmpty()) wrapped += QStringLiteral(" ORDER BY ") + db->driverSql(sort);
            return db->resultBackend(wrapped);
        });
    snapshots_.push_back(backend);
    return backend;
}

std::shared_ptr<RecordsetBackend> OdbcDatabase::keyedBackend(const TableInfo& table, const QString& where,
                                                             const QString& orderBy) {
    KeyedTableBackend::Source source;
    source.table = table.name;
    source.where = where;
    source.orderBy = orderBy;
    source.fields = table.fields;
    source.quote = link_->identifierQuote();
    source.dbms = link_->dbmsName();
    source.queryTimeout = queryTimeout();
    source.readOnly = readOnly_;
    source.whyNot = QStringLiteral("The database was opened read-only.");
    const IndexInfo* key = table.primaryIndex();
    if (!key)
        for (const IndexInfo& i : table.indexes)
            if (i.unique) {
                key = &i;
                break;
            }
    for (const IndexKey& k : key->keys) source.keys.push_back(k.field);
    std::weak_ptr<OdbcDatabase> self = shared_from_this();
    const TableInfo design = table;
    Reopen reopen = [self, design, where, orderBy](const QString& filter, const QString& sort) {
        auto db = self.lock();
        if (!db) throw EngineError(err::kInvalidOperation, QStringLiteral("The database is closed."));
        QString w = where;
        if (!filter.isEmpty()) {
            const QString f = db->driverSql(filter);
            w = w.isEmpty() ? f : QStringLiteral("(") + w + QStringLiteral(") AND (") + f + QStringLiteral(")");
        }
        return db->keyedBackend(design, w, sort.isEmpty() ? orderBy : db->driverSql(sort));
    };
    return std::make_shared<KeyedTableBackend>(link_, std::move(source), std::move(reopen), [self] {
        if (auto db = self.lock()) db->beforeWrite();
    });
}

std::shared_ptr<Recordset> OdbcDatabase::openRecordset(const QString& source, RecordsetType type, int options) {
    return recorded([&]() -> std::shared_ptr<Recordset> {
        requireOpen();
        const bool forwardOnly = type == RecordsetType::ForwardOnly || (options & rs_option::kForwardOnly);
        const RecordsetType readType = forwardOnly ? RecordsetType::ForwardOnly : RecordsetType::Snapshot;
        const QString text = source.trimmed();
        if (options & rs_option::kSqlPassThrough) {
            // A bare name is no statement to a server: read the table it names.
            const QString sql = isBareName(text) ? QStringLiteral("SELECT * FROM ") + text : text;
            return Recordset::open(readType, text, resultBackend(sql), true, context_->errors);
        }
        std::optional<PlainSelect> plain;
        if (isBareName(text)) {
            const TableInfo* t = knownTable(unbracketed(text));
            if (!t) throw EngineError(err::kInputTableNotFound, unbracketed(text));
            plain = PlainSelect{t->name, QString(), QString()};
        } else {
            plain = plainSelect(text);
        }
        const bool wantsDynaset = type == RecordsetType::Default || type == RecordsetType::Dynaset || type == RecordsetType::Table;
        if (plain && wantsDynaset && !forwardOnly) {
            if (const TableInfo* t = knownTable(plain->table)) {
                bool keyed = t->primaryIndex() != nullptr;
                for (const IndexInfo& i : t->indexes) keyed = keyed || i.unique;
                if (keyed) {
                    auto backend = keyedBackend(*t, plain->where.isEmpty() ? QString() : driverSql(plain->where),
                                                plain->orderBy.isEmpty() ? QString() : driverSql(plain->orderBy));
                    const bool readOnly = readOnly_ || (options & rs_option::kReadOnly);
                    return Recordset::open(RecordsetType::Dynaset, t->name, backend, readOnly, context_->errors);
                }
            }
        }
        const QString sql = isBareName(text) ? QStringLiteral("SELECT * FROM ") + quoted(plain->table) : driverSql(text);
        const RecordsetType actual = wantsDynaset && !forwardOnly ? RecordsetType::Dynaset : readType;
        return Recordset::open(actual, plain ? plain->table : text, resultBackend(sql), true, context_->errors);
    });
}

std::shared_ptr<QueryDef> OdbcDatabase::createQueryDef(const QString& name, const QString& sql) {
    return recorded([&] {
        if (!name.isEmpty())
            throw EngineError(err::kNotSupported, QStringLiteral("An ODBC data source keeps no stored queries."));
        QueryInfo info;
        info.sql = sql;
        return std::make_shared<QueryDef>(info, std::weak_ptr<QueryRunner>(std::static_pointer_cast<QueryRunner>(shared_from_this())),
                                          false);
    });
}

void OdbcDatabase::executeQuery(const QueryDef& query, int options) {
    const bool passThrough = !query.connect().isEmpty() || query.type() == query_type::kPassThrough;
    execute(query.sql(), options | (passThrough ? exec_option::kSqlPassThrough : 0));
}

std::shared_ptr<Recordset> OdbcDatabase::openQuery(const QueryDef& query, RecordsetType type, int options) {
    const bool passThrough = !query.connect().isEmpty() || query.type() == query_type::kPassThrough;
    return openRecordset(query.sql(), type, options | (passThrough ? rs_option::kSqlPassThrough : 0));
}

void OdbcDatabase::saveQuery(const QueryInfo&, const QString&) {
    throw EngineError(err::kNotSupported, QStringLiteral("An ODBC data source keeps no stored queries."));
}

void OdbcDatabase::close() {
    snapshots_.clear();
    level_ = 0;
    link_->close();
}

bool OdbcDatabase::useSavepoints() const { return !link_->dbmsName().contains(QLatin1String("SQL Server"), Qt::CaseInsensitive); }

void OdbcDatabase::beginLevel() {
    recorded([&] {
        requireOpen();
        if (!link_->supportsTransactions()) {
            ++level_;
            return;
        }
        if (level_ == 0) link_->begin();
        else run(useSavepoints() ? QStringLiteral("SAVEPOINT veranth_%1").arg(level_) : QStringLiteral("SAVE TRANSACTION veranth_%1").arg(level_));
        ++level_;
    });
}

void OdbcDatabase::commitLevel() {
    recorded([&] {
        if (level_ == 0) throw EngineError(err::kNoTransaction);
        --level_;
        if (!link_->supportsTransactions()) return;
        if (level_ == 0) link_->commit();
        else if (useSavepoints()) run(QStringLiteral("RELEASE SAVEPOINT veranth_%1").arg(level_));
    });
}

void OdbcDatabase::rollbackLevel() {
    recorded([&] {
        if (level_ == 0) throw EngineError(err::kNoTransaction);
        --level_;
        if (!link_->supportsTransactions()) return;
        beforeWrite();
        if (level_ == 0) link_->rollback();
        else if (useSavepoints()) run(QStringLiteral("ROLLBACK TO SAVEPOINT veranth_%1").arg(level_));
        else run(QStringLiteral("ROLLBACK TRANSACTION veranth_%1").arg(level_));
    });
}

// ---- SchemaStore --------------------------------------------------------------------------------

void OdbcDatabase::createTable(const TableInfo& table) {
    recorded([&] {
        requireWritable();
        if (table.fields.empty())
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("a table needs at least one field"));
        QStringList columns;
        for (const FieldInfo& f : table.fields)
            columns << quoted(f.name) + QLatin1Char(' ') + serverType(f, link_->dbmsName()) +
                           (f.required ? QStringLiteral(" NOT NULL") : QString());
        for (const IndexInfo& i : table.indexes) {
            if (!i.primary) continue;
            QStringList keys;
            for (const IndexKey& k : i.keys) keys << quoted(k.field);
            columns << QStringLiteral("PRIMARY KEY (") + keys.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        run(QStringLiteral("CREATE TABLE ") + quoted(table.name) + QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QLatin1Char(')'));
        for (const IndexInfo& i : table.indexes)
            if (!i.primary) addIndex(table.name, i);
        tablesLoaded_ = false;
    });
}

void OdbcDatabase::dropTable(const QString& table) {
    recorded([&] {
        requireWritable();
        run(QStringLiteral("DROP TABLE ") + quoted(table));
        tablesLoaded_ = false;
    });
}

void OdbcDatabase::addIndex(const QString& table, const IndexInfo& index) {
    recorded([&] {
        requireWritable();
        QStringList keys;
        for (const IndexKey& k : index.keys) keys << quoted(k.field) + (k.descending ? QStringLiteral(" DESC") : QString());
        run(QStringLiteral("CREATE ") + (index.unique || index.primary ? QStringLiteral("UNIQUE ") : QString()) +
            QStringLiteral("INDEX ") + quoted(index.name) + QStringLiteral(" ON ") + quoted(table) + QStringLiteral(" (") +
            keys.join(QStringLiteral(", ")) + QLatin1Char(')'));
    });
}

namespace {
[[noreturn]] void serverDesign() {
    throw EngineError(err::kNotSupported, QStringLiteral("The design of a server's table is changed on the server."));
}
}  // namespace

void OdbcDatabase::renameTable(const QString&, const QString&) { recorded([] { serverDesign(); }); }
void OdbcDatabase::updateTable(const TableInfo&) { recorded([] { serverDesign(); }); }
void OdbcDatabase::addField(const QString&, const FieldInfo&) { recorded([] { serverDesign(); }); }
void OdbcDatabase::dropField(const QString&, const QString&) { recorded([] { serverDesign(); }); }
void OdbcDatabase::renameField(const QString&, const QString&, const QString&) { recorded([] { serverDesign(); }); }
void OdbcDatabase::updateField(const QString&, const FieldInfo&) { recorded([] { serverDesign(); }); }
void OdbcDatabase::dropIndex(const QString&, const QString&) { recorded([] { serverDesign(); }); }
void OdbcDatabase::renameIndex(const QString&, const QString&, const QString&) { recorded([] { serverDesign(); }); }

std::int64_t OdbcDatabase::countRows(const QString& table) {
    return recorded([&]() -> std::int64_t {
        requireOpen();
        Statement s(link_);
        s.setQueryTimeout(queryTimeout());
        s.execute(QStringLiteral("SELECT COUNT(*) FROM ") + quoted(table));
        if (!s.fetch()) return 0;
        const Value v = s.value(0);
        return v.isNumeric() ? static_cast<std::int64_t>(v.type() == ValueType::Double ? v.rawDouble() : static_cast<double>(v.rawInteger())) : 0;
    });
}

}  // namespace veranth::engine::odbc
