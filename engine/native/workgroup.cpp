#include "engine/native/workgroup.h"

#include "engine/errors.h"
#include "engine/native/password_hash.h"
#include "engine/native/sqlite_db.h"

#include <QFileInfo>

namespace veranth::engine::native {

namespace {
std::unique_ptr<Connection> openWorkgroup(const QString& path, bool readOnly) {
    if (!QFileInfo(path).isFile()) throw EngineError(err::kSecurityFileNotFound, path);
    try {
        auto c = Connection::open(path, readOnly, false);
        c->prepare(QStringLiteral("SELECT 1 FROM MSysAccounts LIMIT 1"));
        return c;
    } catch (const EngineError&) {
        throw EngineError(err::kSecurityFileNotFound, path + QStringLiteral(" (not a workgroup file)"));
    }
}
}  // namespace

void createWorkgroupFile(const QString& path) {
    if (QFileInfo::exists(path)) throw EngineError(err::kDatabaseExists, path);
    auto c = Connection::open(path, false, true);
    c->exec(QStringLiteral("CREATE TABLE MSysAccounts (Name TEXT PRIMARY KEY COLLATE %1, PasswordHash TEXT NOT NULL)")
                .arg(QLatin1String(kCollation)));
    Statement s = c->prepare(QStringLiteral("INSERT INTO MSysAccounts (Name, PasswordHash) VALUES ('admin', ?)"));
    s.bindText(1, hashPassword(QString()));
    s.step();
}

void setWorkgroupUser(const QString& path, const QString& user, const QString& password) {
    if (user.trimmed().isEmpty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("a user needs a name"));
    auto c = openWorkgroup(path, false);
    Statement s = c->prepare(QStringLiteral("INSERT OR REPLACE INTO MSysAccounts (Name, PasswordHash) VALUES (?, ?)"));
    s.bindText(1, user.trimmed());
    s.bindText(2, hashPassword(password));
    s.step();
}

void authenticate(const QString& path, const QString& user, const QString& password) {
    auto c = openWorkgroup(path, true);
    Statement s = c->prepare(QStringLiteral("SELECT PasswordHash FROM MSysAccounts WHERE Name = ?"));
    s.bindText(1, user.trimmed());
    if (!s.step() || !verifyPassword(password, s.text(0))) throw EngineError(err::kBadAccount);
}

}  // namespace veranth::engine::native
