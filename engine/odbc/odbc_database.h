#pragma once

#include "engine/database.h"
#include "engine/engine_context.h"
#include "engine/odbc/driver_connection.h"
#include "engine/schema_store.h"

#include <memory>
#include <vector>

namespace veranth::engine::odbc {

class ResultBackend;

// An ODBC data source opened as a database. Its TableDefs are the server's tables; dynasets
// on a keyed table write by key; snapshots and forward-only sets are read-only and static.
// Statements in the engine's dialect are written as ODBC SQL for the driver (escape clauses);
// the pass-through option (64) sends the text as it stands. Engine transactions run on the
// connection in manual-commit mode and include pass-through statements; nested levels are
// savepoints.
class OdbcDatabase : public Database,
                     public SchemaStore,
                     public QueryRunner,
                     public std::enable_shared_from_this<OdbcDatabase> {
public:
    static std::shared_ptr<OdbcDatabase> open(std::shared_ptr<EngineContext> context, const QString& connect,
                                              const ConnectOptions& options);

    // Database
    // "ODBC;" and the connect string, less its password: it names the server and database.
    QString name() const override;
    // "ODBC;" and the string the connection was made with, DATABASE included.
    QString connect() const override;
    bool isReadOnly() const override { return readOnly_; }
    bool transactions() const override { return link_->supportsTransactions(); }
    QString version() const override { return link_->dbmsName(); }
    Collection<TableDef>& tableDefs() override;
    Collection<QueryDef>& queryDefs() override { return queryDefs_; }
    void execute(const QString& sql, int options = 0) override;
    std::shared_ptr<Recordset> openRecordset(const QString& source, RecordsetType type = RecordsetType::Default,
                                             int options = 0) override;
    std::shared_ptr<QueryDef> createQueryDef(const QString& name = QString(), const QString& sql = QString()) override;
    void close() override;
    bool isOpen() const override { return link_->isOpen(); }
    void beginLevel() override;
    void commitLevel() override;
    void rollbackLevel() override;
    int transactionLevel() const override { return level_; }

    // SchemaStore: tables and indexes can be made and dropped; the rest of a server's design
    // belongs to the server (3251).
    void createTable(const TableInfo& table) override;
    void dropTable(const QString& table) override;
    void renameTable(const QString& from, const QString& to) override;
    void updateTable(const TableInfo& table) override;
    void addField(const QString& table, const FieldInfo& field) override;
    void dropField(const QString& table, const QString& field) override;
    void renameField(const QString& table, const QString& from, const QString& to) override;
    void updateField(const QString& table, const FieldInfo& field) override;
    void addIndex(const QString& table, const IndexInfo& index) override;
    void dropIndex(const QString& table, const QString& index) override;
    void renameIndex(const QString& table, const QString& from, const QString& to) override;
    std::int64_t countRows(const QString& table) override;

    // QueryRunner
    void executeQuery(const QueryDef& query, int options) override;
    std::shared_ptr<Recordset> openQuery(const QueryDef& query, RecordsetType type, int options) override;
    void saveQuery(const QueryInfo& info, const QString& previousName) override;

    const std::shared_ptr<DriverConnection>& link() const { return link_; }

private:
    OdbcDatabase() = default;
    void requireOpen() const;
    void requireWritable() const;
    // Snapshots read their remaining rows before anything is written.
    void beforeWrite();
    QString driverSql(const QString& dialect) const;
    QString quoted(const QString& name) const;
    std::shared_ptr<RecordsetBackend> resultBackend(const QString& sql);
    std::shared_ptr<RecordsetBackend> keyedBackend(const TableInfo& table, const QString& where, const QString& orderBy);
    const TableInfo* knownTable(const QString& name);
    bool useSavepoints() const;
    void run(const QString& sql);
    template <class F> auto recorded(F&& f) -> decltype(f()) { return context_->recorded(std::forward<F>(f)); }

    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<DriverConnection> link_;
    bool readOnly_ = false;
    int level_ = 0;
    bool tablesLoaded_ = false;
    std::vector<TableInfo> tables_;
    Collection<TableDef> tableDefs_{err::kTableExists};
    Collection<QueryDef> queryDefs_;
    std::vector<std::weak_ptr<ResultBackend>> snapshots_;
};

}  // namespace veranth::engine::odbc
