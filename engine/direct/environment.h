#pragma once

#include "engine/direct/options.h"
#include "engine/odbc/driver_connection.h"

#include <QString>

#include <memory>
#include <vector>

namespace veranth::engine::direct {

class Connection;

// A set of connections made for one user. The user name and password fill UID and PWD of a
// connect string that has none. Transactions begun here span every open connection of the
// environment (and those opened while one is open); they do not nest.
class Environment : public std::enable_shared_from_this<Environment> {
public:
    static std::shared_ptr<Environment> create(const QString& name = QString(), const QString& userName = QString(),
                                               const QString& password = QString());
    ~Environment();

    const QString& name() const { return name_; }
    const QString& userName() const { return userName_; }
    int loginTimeout() const { return loginTimeout_; }
    void setLoginTimeout(int seconds) { loginTimeout_ = seconds; }
    // Asked for a connect string when kPrompt is given and the string names no source.
    void setPrompt(odbc::ConnectPrompt prompt) { prompt_ = std::move(prompt); }

    // `dsn` names a data source when the connect string has no DSN of its own.
    std::shared_ptr<Connection> openConnection(const QString& dsn, int prompt = prompt::kNoPrompt,
                                               bool readOnly = false, const QString& connect = QString());
    std::vector<std::shared_ptr<Connection>> connections() const;

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return inTransaction_; }
    void close();

private:
    Environment() = default;

    QString name_, userName_, password_;
    int loginTimeout_ = 15;
    odbc::ConnectPrompt prompt_;
    std::vector<std::weak_ptr<Connection>> connections_;
    bool inTransaction_ = false;
};

}  // namespace veranth::engine::direct
