#pragma once

#include "engine/odbc/odbc_handles.h"
#include "engine/odbc/odbc_values.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace veranth::engine::odbc {

// Asked for a connect string when the one given names no data source and no driver (the
// "odbc;" alone of an import, say): it gets what was given and returns the string to use,
// or nothing when the user cancels (3059). The driver manager here has no dialogs of its own.
using ConnectPrompt = std::function<std::optional<QString>(const QString& given)>;

struct ConnectOptions {
    int loginTimeout = 0;  // seconds; 0 leaves the driver's default
    bool readOnly = false;
    ConnectPrompt prompt;  // empty: never prompt
};

// One connection to a data source through the driver manager, in auto-commit mode until a
// transaction begins. A connection the server dropped is marked lost: its transaction is
// gone with it (the server rolled it back), and closing it only frees the handles.
class DriverConnection : public std::enable_shared_from_this<DriverConnection> {
public:
    // `connect` without the engine's "ODBC;" prefix. A data-source name the driver manager
    // does not know gives 3151 "ODBC--connection to 'NAME' failed."; a refused login 3146
    // with "Login failed." and the server's message; other failures 3146 (or 3151 for a
    // driver connection) with the driver's messages.
    static std::shared_ptr<DriverConnection> open(const QString& connect, const ConnectOptions& options);
    ~DriverConnection();

    SQLHDBC get() const { return dbc_->get(); }
    const std::shared_ptr<Handle>& handle() const { return dbc_; }
    // The string the connection was made with, with DATABASE added from the server when the
    // string did not name one (so a reopen reaches the same database).
    const QString& connectString() const { return connect_; }
    QString databaseName() const { return databaseName_; }
    QString dbmsName() const { return dbmsName_; }
    bool supportsTransactions() const { return supportsTransactions_; }
    QString identifierQuote() const { return quote_; }

    bool inTransaction() const { return inTransaction_; }
    void begin();
    void commit();
    void rollback();

    bool isOpen() const { return open_; }
    bool isLost() const { return lost_; }
    // Reports a failure on one of its statements: a lost connection ends its transaction.
    [[noreturn]] void fail(SQLSMALLINT type, SQLHANDLE handle);
    void close();  // rolls back a transaction still open

    // A new statement handle, freed at the latest when the connection closes.
    std::shared_ptr<Handle> newStatement();

private:
    DriverConnection() = default;
    void endTransaction(SQLSMALLINT completion);
    QString info(SQLUSMALLINT what) const;

    std::shared_ptr<Handle> dbc_;
    std::vector<std::weak_ptr<Handle>> statements_;
    QString connect_;
    QString databaseName_;
    QString dbmsName_;
    QString quote_ = QStringLiteral("\"");
    bool supportsTransactions_ = true;
    bool inTransaction_ = false;
    bool open_ = false;
    bool lost_ = false;
};

// A statement on a connection: run text (with parameters bound), then fetch its rows.
class Statement {
public:
    explicit Statement(std::shared_ptr<DriverConnection> connection);
    SQLHSTMT get() const { return stmt_->get(); }
    ParameterBinder& parameters() { return binder_; }
    void setQueryTimeout(int seconds);
    // Runs the text; true when it returns rows (columns() then describes them).
    bool execute(const QString& sql);
    const std::vector<ColumnInfo>& columns() const { return columns_; }
    bool fetch();
    Value value(int column) { return readColumn(get(), static_cast<SQLUSMALLINT>(column + 1), columns_[column]); }
    // Rows an action statement changed; -1 when the driver does not tell.
    std::int64_t rowCount();
    void closeCursor();

private:
    std::shared_ptr<DriverConnection> connection_;
    std::shared_ptr<Handle> stmt_;
    ParameterBinder binder_;
    std::vector<ColumnInfo> columns_;
};

// "ODBC;DSN=x;..." less its "ODBC;" prefix; other text as it stands.
QString withoutOdbcPrefix(const QString& connect);
// The connect string without its PWD=... segment (for names shown to users).
QString withoutPassword(const QString& connect);
// Whether a connect string names something to connect to (DSN, DRIVER or FILEDSN).
bool namesSource(const QString& connect);

}  // namespace veranth::engine::odbc
