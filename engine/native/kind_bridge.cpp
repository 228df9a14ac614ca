#include "engine/native/kind_bridge.h"

#include "engine/connect_string.h"
#include "engine/database.h"
#include "engine/engine_context.h"
#include "engine/errors.h"
#include "engine/native/sqlite_db.h"
#include "engine/recordset.h"
#include "engine/sql/sql_type.h"
#include "engine/sql/value_codec.h"

#include <sqlite3.h>

#include <map>
#include <mutex>
#include <unordered_map>

namespace veranth::engine::native {

namespace {

constexpr const char* kModule = "vx_bridge";

// What one virtual table shows: a table of the other database. The statement text that makes
// the virtual table carries only a number, so the description waits here until xConnect.
struct BridgedTable {
    std::shared_ptr<Database> database;
    QString table;
    std::vector<FieldInfo> fields;
};

class BridgedTables {
public:
    sqlite3_int64 add(std::shared_ptr<BridgedTable> table) {
        std::lock_guard lock(mutex_);
        tables_[++last_] = std::move(table);
        return last_;
    }
    std::shared_ptr<BridgedTable> find(sqlite3_int64 id) {
        std::lock_guard lock(mutex_);
        const auto it = tables_.find(id);
        return it == tables_.end() ? nullptr : it->second;
    }
    void remove(sqlite3_int64 id) {
        std::lock_guard lock(mutex_);
        tables_.erase(id);
    }

private:
    std::mutex mutex_;
    std::map<sqlite3_int64, std::shared_ptr<BridgedTable>> tables_;
    sqlite3_int64 last_ = 0;
};

BridgedTables& bridgedTables() {
    static BridgedTables tables;
    return tables;
}

struct BridgeVtab : sqlite3_vtab {
    std::shared_ptr<BridgedTable> source;
    // The last scan: an UPDATE or DELETE names its rows by the row numbers that scan handed out,
    // and finds them again by the bookmarks kept for those numbers.
    std::shared_ptr<Recordset> scan;
    std::unordered_map<sqlite3_int64, QByteArray> marks;
    std::shared_ptr<Recordset> writer;  // rows appended by INSERT
    sqlite3_int64 appended = 0;
};

struct BridgeCursor : sqlite3_vtab_cursor {
    std::shared_ptr<Recordset> rows;
    sqlite3_int64 row = 0;
};

// The engine's error travels through SQLite's message, where the native side finds it again.
int fail(sqlite3_vtab* vtab, const EngineError& error) {
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("[engine error %d] %s", error.number(), error.description().toUtf8().constData());
    return SQLITE_ERROR;
}

template <class F>
int guarded(sqlite3_vtab* vtab, F&& f) {
    try {
        f();
        return SQLITE_OK;
    } catch (const EngineError& e) {
        return fail(vtab, e);
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    }
}

int connectTable(sqlite3* db, void*, int argc, const char* const* argv, sqlite3_vtab** out, char** error) {
    const auto source = argc > 3 ? bridgedTables().find(QByteArray(argv[3]).toLongLong()) : nullptr;
    if (!source) {
        *error = sqlite3_mprintf("the table of the other database is no longer open");
        return SQLITE_ERROR;
    }
    QStringList columns;
    for (const FieldInfo& f : source->fields) columns << quoteName(f.name);
    const QByteArray declaration = QStringLiteral("CREATE TABLE x(%1)").arg(columns.join(QStringLiteral(", "))).toUtf8();
    const int rc = sqlite3_declare_vtab(db, declaration.constData());
    if (rc != SQLITE_OK) return rc;
    auto* vtab = new BridgeVtab;
    vtab->source = source;
    *out = vtab;
    return SQLITE_OK;
}

int disconnectTable(sqlite3_vtab* vtab) {
    delete static_cast<BridgeVtab*>(vtab);
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    // Every read is a whole scan of the other database's table: its kinds keep no index the
    // statement could use here, and its rows are copied, not searched.
    info->estimatedCost = 1e6;
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    *out = new BridgeCursor;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor* cursor) {
    delete static_cast<BridgeCursor*>(cursor);
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* base, int, const char*, int, sqlite3_value**) {
    auto* cursor = static_cast<BridgeCursor*>(base);
    auto* vtab = static_cast<BridgeVtab*>(base->pVtab);
    return guarded(vtab, [&] {
        Database& db = *vtab->source->database;
        // A dynaset where rows may be changed, so the bookmarks of an UPDATE or DELETE find them.
        cursor->rows = db.openRecordset(vtab->source->table, db.isReadOnly() ? RecordsetType::Snapshot : RecordsetType::Dynaset);
        cursor->row = 1;
        vtab->scan = cursor->rows;
        vtab->marks.clear();
    });
}

int next(sqlite3_vtab_cursor* base) {
    auto* cursor = static_cast<BridgeCursor*>(base);
    return guarded(base->pVtab, [&] {
        cursor->rows->moveNext();
        ++cursor->row;
    });
}

int eof(sqlite3_vtab_cursor* base) {
    auto* cursor = static_cast<BridgeCursor*>(base);
    return !cursor->rows || cursor->rows->eof() ? 1 : 0;
}

int column(sqlite3_vtab_cursor* base, sqlite3_context* context, int i) {
    auto* cursor = static_cast<BridgeCursor*>(base);
    auto* vtab = static_cast<BridgeVtab*>(base->pVtab);
    return guarded(vtab, [&] {
        const FieldInfo& f = vtab->source->fields[static_cast<size_t>(i)];
        sql::encodeResult(context, cursor->rows->fieldValue(i), sql::sqlTypeOf(f.type));
    });
}

int rowid(sqlite3_vtab_cursor* base, sqlite3_int64* out) {
    auto* cursor = static_cast<BridgeCursor*>(base);
    auto* vtab = static_cast<BridgeVtab*>(base->pVtab);
    *out = cursor->row;
    return guarded(vtab, [&] {
        if (cursor->rows->bookmarkable()) vtab->marks[cursor->row] = cursor->rows->bookmark();
    });
}

void assign(Recordset& rows, const BridgedTable& source, sqlite3_value** values, bool inserting) {
    for (size_t i = 0; i < source.fields.size(); ++i) {
        const Value v = sql::decodeValue(values[i], sql::sqlTypeOf(source.fields[i].type));
        // A new row's missing values are left to the other database's defaults.
        if (inserting && v.isNull()) continue;
        rows.setFieldValue(static_cast<int>(i), v);
    }
}

void findScanned(BridgeVtab& vtab, sqlite3_int64 row) {
    const auto mark = vtab.marks.find(row);
    if (!vtab.scan || mark == vtab.marks.end())
        throw EngineError(err::kNotSupported, QStringLiteral("This row of '%1' cannot be changed from a statement.").arg(vtab.source->table));
    vtab.scan->setBookmark(mark->second);
}

int update(sqlite3_vtab* base, int argc, sqlite3_value** argv, sqlite3_int64* newRow) {
    auto* vtab = static_cast<BridgeVtab*>(base);
    return guarded(vtab, [&] {
        if (argc == 1) {
            findScanned(*vtab, sqlite3_value_int64(argv[0]));
            vtab->scan->remove();
            return;
        }
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            if (!vtab->writer)
                vtab->writer = vtab->source->database->openRecordset(vtab->source->table, RecordsetType::Dynaset, rs_option::kAppendOnly);
            vtab->writer->addNew();
            try {
                assign(*vtab->writer, *vtab->source, argv + 2, true);
                vtab->writer->update();
            } catch (...) {
                vtab->writer->cancelUpdate();
                throw;
            }
            *newRow = -(++vtab->appended);
            return;
        }
        findScanned(*vtab, sqlite3_value_int64(argv[0]));
        vtab->scan->edit();
        try {
            assign(*vtab->scan, *vtab->source, argv + 2, false);
            vtab->scan->update();
        } catch (...) {
            vtab->scan->cancelUpdate();
            throw;
        }
    });
}

sqlite3_module makeModule() {
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = connectTable;
    m.xConnect = connectTable;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnectTable;
    m.xDestroy = disconnectTable;
    m.xOpen = openCursor;
    m.xClose = closeCursor;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowid;
    m.xUpdate = update;
    return m;
}

const sqlite3_module& bridgeModule() {
    static const sqlite3_module module = makeModule();
    return module;
}

// Registering the module again on a connection that has it is refused, and the first
// registration serves the connection: the result is not needed.
void requireModule(Connection& connection) { sqlite3_create_module_v2(connection.handle(), kModule, &bridgeModule(), nullptr, nullptr); }

class BridgedCatalog : public sql::CatalogView {
public:
    explicit BridgedCatalog(BridgedDatabase& bridge) : bridge_(bridge) {
        for (const auto& t : bridge.database().tableDefs()) tables_.addTable(t->info());
    }
    const TableInfo* table(const QString& name) const override { return tables_.table(name); }
    std::optional<QString> querySql(const QString&) const override { return std::nullopt; }
    QString schemaName() const override { return bridge_.schema(); }
    std::optional<QString> storedPlace(const TableInfo& table) const override { return bridge_.placeOf(table.name); }
    QString newTablePlace(const QString& name) const override { return bridge_.placeForNew(name); }

private:
    BridgedDatabase& bridge_;
    sql::StaticCatalog tables_;
};

}  // namespace

BridgedDatabase::BridgedDatabase(Connection& connection, std::shared_ptr<Database> database, int number)
    : connection_(connection), database_(std::move(database)), schema_(QStringLiteral("bridged_%1").arg(number)) {
    requireModule(connection_);
}

BridgedDatabase::~BridgedDatabase() {
    for (const QString& name : made_) {
        try {
            connection_.exec(QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(quoteName(name)));
        } catch (const EngineError&) {
            // The connection is closing with the file: its temp schema goes with it.
        }
    }
    for (const sqlite3_int64 id : descriptions_) bridgedTables().remove(id);
}

QString BridgedDatabase::virtualName(const QString& table) const { return schema_ + QLatin1Char('_') + table.toLower(); }

QString BridgedDatabase::placeForNew(const QString& table) const { return QStringLiteral("temp.") + quoteName(virtualName(table)); }

QString BridgedDatabase::virtualTable(const QString& table) {
    const QString name = virtualName(table);
    // A rolled-back transaction takes the temp schema's changes with it, the virtual tables too:
    // each use checks that its table is still there.
    Statement exists = connection_.prepare(QStringLiteral("SELECT 1 FROM temp.sqlite_master WHERE name = ?"));
    exists.bindText(1, name);
    if (exists.step()) return name;
    const auto def = database_->tableDefs().find(table);
    if (!def) throw EngineError(err::kInputTableNotFound, table);
    auto source = std::make_shared<BridgedTable>();
    source->database = database_;
    source->table = def->name();
    source->fields = def->info().fields;
    const sqlite3_int64 id = bridgedTables().add(source);
    descriptions_.push_back(id);
    connection_.exec(QStringLiteral("CREATE VIRTUAL TABLE temp.%1 USING %2(%3)")
                         .arg(quoteName(name), QLatin1String(kModule), QString::number(id)));
    if (!made_.contains(name)) made_ << name;
    return name;
}

void BridgedDatabase::createTable(const TableInfo& design) {
    auto table = database_->createTableDef(design.name);
    for (const FieldInfo& f : design.fields) table->fields().append(table->createField(f.name, f.type, f.size));
    database_->tableDefs().append(table);
    virtualTable(design.name);
}

void BridgedDatabase::dropTable(const QString& name) {
    connection_.exec(QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(quoteName(virtualName(name))));
    database_->tableDefs().remove(name);
}

QString BridgedDatabase::placeOf(const QString& table) { return QStringLiteral("temp.") + quoteName(virtualTable(table)); }

std::unique_ptr<sql::CatalogView> BridgedDatabase::catalog() { return std::make_unique<BridgedCatalog>(*this); }

std::shared_ptr<Database> openOtherKind(const std::shared_ptr<EngineContext>& context, const QString& name,
                                        const QString& connect) {
    const auto kind = context->kindFor(connect);
    try {
        return kind->open(context, name, false, false, connect);
    } catch (const EngineError& e) {
        // A source that cannot be written (a read-only folder or file) can still be read from.
        if (e.number() != err::kReadOnly && e.number() != err::kFileInUse) throw;
        return kind->open(context, name, false, true, connect);
    }
}

QString bridgeKey(const QString& name, const QString& connect) {
    return connectPrefix(connect).trimmed().toLower() + QLatin1Char('|') + (name.isEmpty() ? connect.trimmed() : name);
}

}  // namespace veranth::engine::native
