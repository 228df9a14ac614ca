#pragma once

#include "engine/database.h"
#include "engine/engine_context.h"
#include "engine/native/row_backends.h"
#include "engine/native/shared_file.h"
#include "engine/native/statement_catalog.h"
#include "engine/querydef.h"
#include "engine/schema_store.h"
#include "engine/sql/catalog_view.h"
#include "engine/sql/translation.h"

#include <functional>

namespace veranth::engine::native {

// A native database: an SQLite file with the engine's catalog.
class NativeDatabase : public Database,
                       public SchemaStore,
                       public QueryRunner,
                       public std::enable_shared_from_this<NativeDatabase> {
public:
    static std::shared_ptr<NativeDatabase> open(std::shared_ptr<EngineContext> context, std::shared_ptr<SharedFile> file,
                                                QString path, QString connect, bool readOnly);

    // Database
    QString name() const override { return path_; }
    QString connect() const override { return connect_; }
    bool isReadOnly() const override { return readOnly_; }
    bool transactions() const override { return true; }
    QString version() const override;
    Collection<TableDef>& tableDefs() override;
    Collection<QueryDef>& queryDefs() override;
    void execute(const QString& sql, int options = 0) override;
    std::shared_ptr<Recordset> openRecordset(const QString& source, RecordsetType type = RecordsetType::Default,
                                             int options = 0) override;
    std::shared_ptr<QueryDef> createQueryDef(const QString& name = QString(), const QString& sql = QString()) override;
    void close() override;
    bool isOpen() const override { return file_ != nullptr; }
    void beginLevel() override;
    void commitLevel() override;
    void rollbackLevel() override;
    int transactionLevel() const override;
    const void* transactionKey() const override { return file_.get(); }

    // Sets or removes (empty) the database password; the old one must be given.
    void newPassword(const QString& oldPassword, const QString& newPassword);

    // SchemaStore
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
    std::vector<ParameterInfo> parametersOf(const QueryInfo& query) override;

private:
    NativeDatabase() = default;
    SharedFile& file() const;
    Connection& connection() const { return file().connection(); }
    void requireWritable() const;
    // Runs a change as one unit: all of it or none of it.
    void atomically(const std::function<void()>& change);
    void reloadIfChanged();
    TableInfo describedTable(const QString& table);
    void adoptTable(const TableInfo& table);
    // The field of the table by that name, when no index uses it (3265 or 3219 otherwise).
    static const FieldInfo* unindexedField(const TableInfo& table, const QString& fieldName);
    // ALTER COLUMN: the field's type and size change and its stored values are converted.
    void changeFieldType(const QString& table, const FieldInfo& field);
    void createIndexStorage(const TableInfo& table, IndexInfo& index);
    void createAttachment(const TableInfo& link);
    // The source of an attached native table: its file joined to this connection and its
    // design read from that file's catalog.
    struct AttachedSource {
        TablePlace place;
        TableInfo design;
    };
    BridgedDatabase& bridgeOf(const TableInfo& link);
    AttachedSource attachedSource(const TableInfo& link);
    void attachKnownSources();

    // Statements (native_statements.cpp). Every statement is the dialect's, translated against
    // this database's catalog; `given` holds the values of a query's parameters.
    std::shared_ptr<StatementCatalog> statementCatalog();
    void runStatement(const QString& text, const Collection<Parameter>* given);
    void runTranslation(const sql::Translation& t, const StatementCatalog& catalog, const BoundValues& values);
    std::int64_t runWrites(const sql::Translation& t, const StatementCatalog& catalog, const BoundValues& values);
    // Fills the counters and default values of a new row's fields the statement left out.
    void completeNewRow(const TableInfo& table, const TablePlace& place, const std::vector<bool>& given, std::int64_t rowid,
                        std::vector<Value>& row);
    void carryOut(const sql::DefinitionStep& step, const StatementCatalog& catalog,
                  std::vector<std::function<void()>>& undoElsewhere);
    // SQLite's own text, for option 64 with a statement the dialect does not read.
    void runSqlite(const QString& sqliteSql);
    std::shared_ptr<Recordset> openStatement(const QString& name, const QString& text, const Collection<Parameter>* given,
                                             RecordsetType type, int options);
    template <class F> auto recorded(F&& f) -> decltype(f()) { return context_->recorded(std::forward<F>(f)); }

    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<SharedFile> file_;
    QString path_;
    QString connect_;
    bool readOnly_ = false;
    Collection<TableDef> tableDefs_{err::kTableExists};
    Collection<QueryDef> queryDefs_;
    int loadedGeneration_ = -1;
    std::shared_ptr<const sql::StaticCatalog> catalogView_;  // what statements are translated against
};

}  // namespace veranth::engine::native
