#pragma once

#include "engine/collection.h"
#include "engine/database.h"
#include "engine/engine_context.h"
#include "engine/errors.h"
#include "engine/native/maintenance.h"
#include "engine/workspace.h"

#include <memory>

namespace veranth::engine {

namespace dbengine_idle {
inline constexpr int kFreeLocks = 1;
inline constexpr int kRefreshCache = 8;
}  // namespace dbengine_idle

// The engine: one per process, passed by reference to whoever needs it. Workspaces(0) is
// the default workspace; the first workspace appended before it is first used takes that
// place, so engine-level transactions act on the program's own workspace.
class DBEngine {
public:
    DBEngine();

    const QString& iniPath() const { return iniPath_; }
    void setIniPath(const QString& path) { iniPath_ = path; }
    const QString& defaultUser() const { return defaultUser_; }
    void setDefaultUser(const QString& user);
    const QString& defaultPassword() const { return defaultPassword_; }
    void setDefaultPassword(const QString& password) { defaultPassword_ = password; }
    // The workgroup file CreateWorkspace checks accounts against; empty: only "admin"
    // with an empty password.
    const QString& systemDB() const { return systemDB_; }
    void setSystemDB(const QString& path) { systemDB_ = path; }
    int loginTimeout() const { return loginTimeout_; }
    void setLoginTimeout(int seconds);

    ErrorList& errors() { return *context_->errors; }
    Collection<Workspace>& workspaces();
    std::shared_ptr<Workspace> defaultWorkspace();
    // 3029 for a refused account, 3044 when SystemDB names a missing file.
    std::shared_ptr<Workspace> createWorkspace(const QString& name, const QString& user, const QString& password);

    std::shared_ptr<Database> openDatabase(const QString& name, int options = 0, bool readOnly = false,
                                           const QString& connect = QString());
    // The locale and version arguments are accepted for compatibility; every native file
    // has the same format and collation.
    std::shared_ptr<Database> createDatabase(const QString& name, const QString& locale = QString(), int options = 0);
    void compactDatabase(const QString& source, const QString& destination, const QString& locale = QString(),
                         int options = 0);
    native::RepairReport repairDatabase(const QString& name);
    // Registering ODBC data sources belongs to the ODBC kind of database.
    void registerDatabase(const QString& dsn, const QString& driver, bool silent, const QString& attributes);

    void beginTrans() { defaultWorkspace()->beginTrans(); }
    void commitTrans() { defaultWorkspace()->commitTrans(); }
    void rollback() { defaultWorkspace()->rollback(); }
    // Locks are released and caches refreshed as each statement ends, so there is nothing to wait for.
    void idle(int) {}

    // ISAM and ODBC kinds of database register here.
    void registerDatabaseKind(std::shared_ptr<DatabaseKind> kind);

    // Workgroup files and database passwords (fixtures and support tools).
    void createWorkgroup(const QString& path);
    void setWorkgroupUser(const QString& path, const QString& user, const QString& password);
    void setDatabasePassword(const QString& path, const QString& oldPassword, const QString& newPassword);

    std::shared_ptr<EngineContext> context() const { return context_; }

private:
    template <class F> auto recorded(F&& f) -> decltype(f()) { return context_->recorded(std::forward<F>(f)); }

    std::shared_ptr<EngineContext> context_;
    Collection<Workspace> workspaces_;
    QString iniPath_;
    QString defaultUser_ = QStringLiteral("admin");
    QString defaultPassword_;
    QString systemDB_;
    int loginTimeout_ = 20;
};

}  // namespace veranth::engine
