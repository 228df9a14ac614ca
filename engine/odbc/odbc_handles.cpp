#include "engine/odbc/odbc_handles.h"

#include "engine/errors.h"

#include <QStringList>

#include <mutex>

namespace veranth::engine::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent, std::shared_ptr<Handle> parentOwner)
    : type_(type), parent_(std::move(parentOwner)) {
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!SQL_SUCCEEDED(rc)) {
        handle_ = SQL_NULL_HANDLE;
        if (parent_) throwCallFailed(parent_->type(), parent_->get());
        throw EngineError::withDescription(err::kOdbcCallFailed,
                                           QStringLiteral("ODBC--call failed. The ODBC driver manager could not be "
                                                          "initialised."));
    }
}

Handle::~Handle() { free(); }

void Handle::free() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
}

std::shared_ptr<Handle> sharedEnvironment() {
    static std::mutex lock;
    static std::weak_ptr<Handle> shared;
    std::lock_guard<std::mutex> guard(lock);
    if (auto env = shared.lock()) return env;
    auto env = std::make_shared<Handle>(SQL_HANDLE_ENV, SQLHANDLE{SQL_NULL_HANDLE}, nullptr);
    check(SQLSetEnvAttr(env->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, env->get());
    shared = env;
    return env;
}

std::vector<Diagnostic> diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<Diagnostic> out;
    if (handle == SQL_NULL_HANDLE) return out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {0};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, nullptr, 0, &length);
        if (!SQL_SUCCEEDED(rc)) break;
        QByteArray message(length + 1, '\0');
        rc = SQLGetDiagRec(type, handle, i, state, &native, reinterpret_cast<SQLCHAR*>(message.data()),
                           static_cast<SQLSMALLINT>(message.size()), &length);
        if (!SQL_SUCCEEDED(rc)) break;
        message.truncate(std::min<int>(length, message.size() - 1));
        out.push_back({QString::fromLatin1(reinterpret_cast<const char*>(state)), static_cast<int>(native),
                       QString::fromUtf8(message).simplified()});
    }
    return out;
}

QString diagnosticText(const std::vector<Diagnostic>& diags) {
    QStringList parts;
    for (const Diagnostic& d : diags) parts << QStringLiteral("%1 (#%2) [%3]").arg(d.message).arg(d.nativeError).arg(d.state);
    return parts.join(QLatin1Char(' '));
}

bool hasState(const std::vector<Diagnostic>& diags, const char* state) {
    for (const Diagnostic& d : diags)
        if (d.state == QLatin1String(state)) return true;
    return false;
}

bool connectionLost(const std::vector<Diagnostic>& diags) {
    for (const Diagnostic& d : diags) {
        // 08: connection exceptions; 57P0x: the server is shutting the session down.
        if (d.state.startsWith(QLatin1String("08")) || d.state.startsWith(QLatin1String("57P0"))) return true;
        if (d.message.contains(QLatin1String("connection has been lost"), Qt::CaseInsensitive) ||
            d.message.contains(QLatin1String("server closed the connection"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) throwCallFailed(type, handle);
}

void throwCallFailed(SQLSMALLINT type, SQLHANDLE handle) { throwCallFailed(diagnostics(type, handle)); }

void throwCallFailed(const std::vector<Diagnostic>& diags) {
    QString text = QStringLiteral("ODBC--call failed.");
    const QString driver = diagnosticText(diags);
    if (!driver.isEmpty()) text += QLatin1Char(' ') + driver;
    throw EngineError::withDescription(err::kOdbcCallFailed, text);
}

QByteArray utf8(const QString& text) { return text.toUtf8(); }

}  // namespace veranth::engine::odbc
