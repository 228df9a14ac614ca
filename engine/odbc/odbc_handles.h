#pragma once

#include <QString>

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <vector>

// The thin layer over the driver manager that the ODBC kind of database and the direct
// connection layer share: owned handles, the driver's diagnostics, and failures turned into
// engine errors. Text crosses the driver manager as UTF-8 through the narrow calls: the
// SQLite driver has only those, and the Unicode drivers (psqlodbcw) accept UTF-8 through them
// as well, while the wide calls are narrowed lossily by the driver manager for ANSI drivers.
namespace veranth::engine::odbc {

// One ODBC handle, freed with its owner. Statement handles go before their connection,
// connections before their environment: each holds a reference to its parent.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent, std::shared_ptr<Handle> parentOwner);
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLSMALLINT type() const { return type_; }
    SQLHANDLE get() const { return handle_; }
    // Frees the handle now (a connection frees its statements before it disconnects, which
    // would otherwise leave them dangling).
    void free();

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
    std::shared_ptr<Handle> parent_;
};

// An ODBC 3 environment; every connection of the process may share one.
std::shared_ptr<Handle> sharedEnvironment();

struct Diagnostic {
    QString state;  // SQLSTATE, five characters
    int nativeError = 0;
    QString message;
};

std::vector<Diagnostic> diagnostics(SQLSMALLINT type, SQLHANDLE handle);
// The driver's messages, one after another, as a user reads them.
QString diagnosticText(const std::vector<Diagnostic>& diags);
bool hasState(const std::vector<Diagnostic>& diags, const char* state);
// The server closed or lost the connection (08xxx).
bool connectionLost(const std::vector<Diagnostic>& diags);

// Raises 3146 "ODBC--call failed." followed by the driver's messages when `rc` is a failure.
void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle);
[[noreturn]] void throwCallFailed(SQLSMALLINT type, SQLHANDLE handle);
// The same from diagnostics already read.
[[noreturn]] void throwCallFailed(const std::vector<Diagnostic>& diags);

QByteArray utf8(const QString& text);

}  // namespace veranth::engine::odbc
