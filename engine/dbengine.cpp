#include "engine/dbengine.h"

#include "engine/isam/isam_kinds.h"
#include "engine/native/native_database.h"
#include "engine/native/native_kind.h"
#include "engine/native/shared_file.h"
#include "engine/native/workgroup.h"
#include "engine/odbc/odbc_kind.h"

namespace veranth::engine {

DBEngine::DBEngine() : context_(std::make_shared<EngineContext>()) {
    context_->files = std::make_shared<native::FileRegistry>();
    context_->kinds.push_back(std::make_shared<native::NativeKind>());
    for (auto& kind : isam::builtInIsamKinds()) context_->kinds.push_back(std::move(kind));
    context_->kinds.push_back(std::make_shared<odbc::OdbcKind>());
}

void DBEngine::setLoginTimeout(int seconds) {
    loginTimeout_ = seconds;
    if (auto kind = odbc::odbcKindOf(*context_)) kind->setLoginTimeout(seconds);
}

void DBEngine::registerDatabaseKind(std::shared_ptr<DatabaseKind> kind) {
    if (kind) context_->kinds.push_back(std::move(kind));
}

void DBEngine::setDefaultUser(const QString& user) {
    if (user.trimmed().isEmpty()) throw EngineError(err::kBadAccount);
    defaultUser_ = user;
}

Collection<Workspace>& DBEngine::workspaces() { return workspaces_; }

std::shared_ptr<Workspace> DBEngine::defaultWorkspace() {
    if (workspaces_.count() == 0)
        workspaces_.append(createWorkspace(QStringLiteral("#Default Workspace#"), defaultUser_, defaultPassword_));
    return workspaces_.item(0);
}

std::shared_ptr<Workspace> DBEngine::createWorkspace(const QString& name, const QString& user, const QString& password) {
    return recorded([&] {
        if (!systemDB_.isEmpty()) {
            native::authenticate(systemDB_, user, password);
        } else if (user.compare(QStringLiteral("admin"), Qt::CaseInsensitive) != 0 || !password.isEmpty()) {
            throw EngineError(err::kBadAccount);
        }
        return std::make_shared<Workspace>(context_, name, user);
    });
}

std::shared_ptr<Database> DBEngine::openDatabase(const QString& name, int options, bool readOnly, const QString& connect) {
    // Option 1 (no driver prompt) matters only to kinds that could prompt.
    (void)options;
    return defaultWorkspace()->openDatabase(name, false, readOnly, connect);
}

std::shared_ptr<Database> DBEngine::createDatabase(const QString& name, const QString&, int) {
    const QString path = recorded([&] { return native::createDatabaseFile(name); });
    return defaultWorkspace()->openDatabase(path);
}

void DBEngine::compactDatabase(const QString& source, const QString& destination, const QString&, int) {
    recorded([&] { native::compactDatabaseFile(source, destination); });
}

native::RepairReport DBEngine::repairDatabase(const QString& name) {
    return recorded([&] { return native::repairDatabaseFile(name); });
}

void DBEngine::registerDatabase(const QString& dsn, const QString&, bool, const QString&) {
    recorded([&] {
        throw EngineError(err::kNotSupported, QStringLiteral("Registering the data source '%1' needs the ODBC layer.").arg(dsn));
    });
}

void DBEngine::createWorkgroup(const QString& path) {
    recorded([&] { native::createWorkgroupFile(path); });
}

void DBEngine::setWorkgroupUser(const QString& path, const QString& user, const QString& password) {
    recorded([&] { native::setWorkgroupUser(path, user, password); });
}

void DBEngine::setDatabasePassword(const QString& path, const QString& oldPassword, const QString& newPassword) {
    const QString connect = oldPassword.isEmpty() ? QString() : QStringLiteral(";pwd=") + oldPassword;
    auto db = defaultWorkspace()->openDatabase(path, true, false, connect);
    std::static_pointer_cast<native::NativeDatabase>(db)->newPassword(oldPassword, newPassword);
    db->close();
}

}  // namespace veranth::engine
