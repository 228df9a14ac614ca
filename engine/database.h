#pragma once

#include "engine/collection.h"
#include "engine/property.h"
#include "engine/querydef.h"
#include "engine/recordset.h"
#include "engine/tabledef.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace veranth::engine {

namespace exec_option {
inline constexpr int kSqlPassThrough = 64;
inline constexpr int kFailOnError = 128;
}  // namespace exec_option

// One open database. Native files are the kind built now; ISAM folders and ODBC sources
// are further kinds behind the same interface.
class Database {
public:
    virtual ~Database() = default;

    // The resolved path of a file (with its ".mdb"), or what names the source.
    virtual QString name() const = 0;
    // Empty for a plain native file; ";pwd=..." when opened with a password; the prefix of
    // an ISAM kind; "ODBC;..." for ODBC.
    virtual QString connect() const = 0;
    virtual bool isReadOnly() const = 0;
    virtual bool transactions() const = 0;
    virtual bool updatable() const { return !isReadOnly(); }
    virtual QString version() const = 0;
    int queryTimeout() const { return queryTimeout_; }
    void setQueryTimeout(int seconds);
    std::int64_t recordsAffected() const { return recordsAffected_; }

    virtual Collection<TableDef>& tableDefs() = 0;
    virtual Collection<QueryDef>& queryDefs() = 0;
    virtual Properties properties();

    // Runs an action statement; 3065 for a statement that returns rows.
    virtual void execute(const QString& sql, int options = 0) = 0;
    // A table name, a stored query name or statement text.
    virtual std::shared_ptr<Recordset> openRecordset(const QString& source, RecordsetType type = RecordsetType::Default,
                                                     int options = 0) = 0;
    std::shared_ptr<TableDef> createTableDef(const QString& name = QString());
    // An empty name makes a temporary query that is never stored.
    virtual std::shared_ptr<QueryDef> createQueryDef(const QString& name = QString(), const QString& sql = QString()) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Names for listings (the command-line companion, the database window).
    QStringList tableNames(bool includeSystem = false);
    QStringList queryNames();

    // Engine side: transaction levels, driven by the workspace.
    virtual void beginLevel() = 0;
    virtual void commitLevel() = 0;
    virtual void rollbackLevel() = 0;
    virtual int transactionLevel() const = 0;
    // Databases with the same key share one transaction (two objects on one file).
    virtual const void* transactionKey() const { return this; }

protected:
    void setRecordsAffected(std::int64_t n) { recordsAffected_ = n; }

private:
    int queryTimeout_ = 60;
    std::int64_t recordsAffected_ = 0;
};

}  // namespace veranth::engine
