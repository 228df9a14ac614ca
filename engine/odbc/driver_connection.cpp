#include "engine/odbc/driver_connection.h"

#include "engine/connect_string.h"
#include "engine/errors.h"

#include <QStringList>

namespace veranth::engine::odbc {

namespace {

bool loginRefused(const std::vector<Diagnostic>& diags) {
    for (const Diagnostic& d : diags) {
        if (d.state == QLatin1String("28000") || d.state == QLatin1String("28P01")) return true;
        if (d.message.contains(QLatin1String("password authentication failed"), Qt::CaseInsensitive) ||
            d.message.contains(QLatin1String("Login failed"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

[[noreturn]] void throwConnectFailure(const QString& connect, const std::vector<Diagnostic>& diags) {
    const QString driverText = diagnosticText(diags);
    auto withDriver = [&](QString text) {
        if (!driverText.isEmpty()) text += QLatin1Char(' ') + driverText;
        return text;
    };
    const QString dsn = connectValue(connect, QStringLiteral("DSN")).trimmed();
    if (loginRefused(diags))
        throw EngineError::withDescription(err::kOdbcCallFailed, withDriver(QStringLiteral("ODBC--call failed. Login failed.")));
    // Only a name the driver manager cannot find counts as "not registered": a registered
    // source whose server is down must not be offered for registration again.
    if (!dsn.isEmpty() && !hasState(diags, "IM002"))
        throw EngineError::withDescription(err::kOdbcCallFailed, withDriver(QStringLiteral("ODBC--call failed.")));
    const QString driver = connectValue(connect, QStringLiteral("DRIVER")).trimmed();
    const QString what = !dsn.isEmpty() ? dsn : driver;
    throw EngineError::withDescription(err::kOdbcConnectionFailed,
                                       withDriver(QStringLiteral("ODBC--connection to '%1' failed.").arg(what)));
}

}  // namespace

QString withoutOdbcPrefix(const QString& connect) {
    const QString trimmed = connect.trimmed();
    if (connectPrefix(trimmed).compare(QLatin1String("ODBC"), Qt::CaseInsensitive) == 0) {
        const qsizetype semicolon = trimmed.indexOf(QLatin1Char(';'));
        return semicolon < 0 ? QString() : trimmed.mid(semicolon + 1);
    }
    return trimmed;
}

QString withoutPassword(const QString& connect) {
    QStringList kept;
    for (const QString& part : connect.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0) continue;
        kept << part;
    }
    return kept.join(QLatin1Char(';'));
}

bool namesSource(const QString& connect) {
    for (const char* key : {"DSN", "DRIVER", "FILEDSN"})
        if (!connectValue(connect, QLatin1String(key)).trimmed().isEmpty()) return true;
    return false;
}

std::shared_ptr<DriverConnection> DriverConnection::open(const QString& connectText, const ConnectOptions& options) {
    QString connect = withoutOdbcPrefix(connectText);
    if (!namesSource(connect) && options.prompt) {
        std::optional<QString> answer = options.prompt(connect);
        if (!answer) throw EngineError(err::kCancelled);
        connect = withoutOdbcPrefix(*answer);
    }

    std::shared_ptr<DriverConnection> c(new DriverConnection());
    c->dbc_ = std::make_shared<Handle>(SQL_HANDLE_DBC, sharedEnvironment()->get(), sharedEnvironment());
    SQLHDBC dbc = c->dbc_->get();
    if (options.loginTimeout > 0)
        SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(options.loginTimeout)), 0);
    if (options.readOnly)
        SQLSetConnectAttr(dbc, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);

    QByteArray in = utf8(connect);
    SQLCHAR out[4096] = {0};
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, out,
                                          sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) throwConnectFailure(connect, diagnostics(SQL_HANDLE_DBC, dbc));
    c->open_ = true;

    c->dbmsName_ = c->info(SQL_DBMS_NAME);
    c->databaseName_ = c->info(SQL_DATABASE_NAME);
    const QString quote = c->info(SQL_IDENTIFIER_QUOTE_CHAR).trimmed();
    if (!quote.isEmpty()) c->quote_ = quote;
    SQLUSMALLINT txn = SQL_TC_NONE;
    if (SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_TXN_CAPABLE, &txn, sizeof txn, nullptr))) c->supportsTransactions_ = txn != SQL_TC_NONE;

    c->connect_ = connect;
    if (connectValue(connect, QStringLiteral("DATABASE")).isEmpty() && connectValue(connect, QStringLiteral("DBQ")).isEmpty() &&
        !c->databaseName_.isEmpty()) {
        if (!c->connect_.isEmpty() && !c->connect_.endsWith(QLatin1Char(';'))) c->connect_ += QLatin1Char(';');
        c->connect_ += QStringLiteral("DATABASE=") + c->databaseName_ + QLatin1Char(';');
    }
    return c;
}

DriverConnection::~DriverConnection() {
    try {
        close();
    } catch (...) {
    }
}

QString DriverConnection::info(SQLUSMALLINT what) const {
    SQLCHAR buffer[1024] = {0};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc_->get(), what, buffer, sizeof buffer, &length))) return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(buffer));
}

void DriverConnection::begin() {
    if (!open_ || lost_) throw EngineError::withDescription(err::kOdbcCallFailed, QStringLiteral("ODBC--call failed. The connection is closed."));
    if (inTransaction_) return;
    if (!supportsTransactions_) return;
    const SQLRETURN rc =
        SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    if (!SQL_SUCCEEDED(rc)) fail(SQL_HANDLE_DBC, dbc_->get());
    inTransaction_ = true;
}

void DriverConnection::endTransaction(SQLSMALLINT completion) {
    if (!inTransaction_) return;
    inTransaction_ = false;
    if (lost_ || !open_) return;
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), completion);
    const auto diags = SQL_SUCCEEDED(rc) ? std::vector<Diagnostic>{} : diagnostics(SQL_HANDLE_DBC, dbc_->get());
    SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    if (!SQL_SUCCEEDED(rc)) {
        if (connectionLost(diags)) lost_ = true;
        throwCallFailed(diags);
    }
}

void DriverConnection::commit() { endTransaction(SQL_COMMIT); }
void DriverConnection::rollback() { endTransaction(SQL_ROLLBACK); }

void DriverConnection::fail(SQLSMALLINT type, SQLHANDLE handle) {
    const auto diags = diagnostics(type, handle);
    SQLUINTEGER dead = SQL_CD_FALSE;
    const bool deadKnown =
        SQL_SUCCEEDED(SQLGetConnectAttr(dbc_->get(), SQL_ATTR_CONNECTION_DEAD, &dead, sizeof dead, nullptr));
    if (connectionLost(diags) || (deadKnown && dead == SQL_CD_TRUE)) {
        lost_ = true;
        inTransaction_ = false;
    }
    throwCallFailed(diags);
}

void DriverConnection::close() {
    if (!open_) return;
    if (inTransaction_) {
        try {
            rollback();
        } catch (const EngineError&) {
            // The connection is going anyway; the server drops what was not committed.
        }
    }
    open_ = false;
    for (const auto& weak : statements_)
        if (auto statement = weak.lock()) statement->free();
    statements_.clear();
    SQLDisconnect(dbc_->get());
}

std::shared_ptr<Handle> DriverConnection::newStatement() {
    if (!open_) throw EngineError::withDescription(err::kOdbcCallFailed, QStringLiteral("ODBC--call failed. The connection is closed."));
    std::erase_if(statements_, [](const std::weak_ptr<Handle>& w) { return w.expired(); });
    auto statement = std::make_shared<Handle>(SQL_HANDLE_STMT, dbc_->get(), dbc_);
    statements_.push_back(statement);
    return statement;
}

Statement::Statement(std::shared_ptr<DriverConnection> connection)
    : connection_(std::move(connection)),
      stmt_(connection_->newStatement()),
      binder_(stmt_->get()) {}

void Statement::setQueryTimeout(int seconds) {
    if (seconds <= 0) return;
    // Not every driver keeps a time-out; the statement then runs without one.
    SQLSetStmtAttr(get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0);
}

bool Statement::execute(const QString& sql) {
    if (!connection_->isOpen() || connection_->isLost() || get() == SQL_NULL_HANDLE)
        throw EngineError::withDescription(err::kOdbcCallFailed, QStringLiteral("ODBC--call failed. The connection is closed."));
    QByteArray text = utf8(sql);
    const SQLRETURN rc = SQLExecDirect(get(), reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) connection_->fail(SQL_HANDLE_STMT, get());
    columns_ = describeResult(get());
    return !columns_.empty();
}

bool Statement::fetch() {
    if (get() == SQL_NULL_HANDLE)
        throw EngineError::withDescription(err::kOdbcCallFailed, QStringLiteral("ODBC--call failed. The connection is closed."));
    const SQLRETURN rc = SQLFetch(get());
    if (rc == SQL_NO_DATA) return false;
    if (!SQL_SUCCEEDED(rc)) connection_->fail(SQL_HANDLE_STMT, get());
    return true;
}

std::int64_t Statement::rowCount() {
    SQLLEN n = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(get(), &n))) return -1;
    return n;
}

void Statement::closeCursor() {
    if (get() != SQL_NULL_HANDLE) SQLFreeStmt(get(), SQL_CLOSE);
}

}  // namespace veranth::engine::odbc
