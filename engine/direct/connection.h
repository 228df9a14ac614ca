#pragma once

#include "engine/direct/options.h"
#include "engine/odbc/driver_connection.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace veranth::engine::direct {

class Resultset;

// One connection to a server. Statements run in auto-commit mode unless a transaction is
// open on the connection or on its environment. Close (and the end of the object) rolls
// back a transaction still open.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(std::shared_ptr<odbc::DriverConnection> link, QString name);
    ~Connection();

    const QString& name() const { return name_; }
    // The connect string the connection was made with (DATABASE added from the server when
    // it was not named).
    QString connect() const { return link_->connectString(); }
    int queryTimeout() const { return queryTimeout_; }
    void setQueryTimeout(int seconds) { queryTimeout_ = seconds; }

    // Runs an action statement or batch as it stands; RowsAffected tells its count (-1 when
    // the driver does not know). Rows a statement returns are discarded.
    void execute(const QString& sql, int options = exec_option::kDirect);
    std::int64_t rowsAffected() const { return rowsAffected_; }
    // kForwardOnly reads as it goes and is read-only; kKeyset, kDynamic and kStatic read the
    // rows when opened. With lock kValues (or kOptimistic, kPessimistic) on a statement that
    // reads one table, Edit / setValue / Update write the row back, found by the values it
    // was read with.
    std::shared_ptr<Resultset> openResultset(const QString& sql, int cursorType = cursor::kForwardOnly,
                                             int lockType = lock::kReadOnly);

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return link_->inTransaction(); }
    void close();
    bool isOpen() const { return link_->isOpen(); }

    // Layer side.
    const std::shared_ptr<odbc::DriverConnection>& link() const { return link_; }

private:
    std::shared_ptr<odbc::DriverConnection> link_;
    QString name_;
    int queryTimeout_ = 30;
    std::int64_t rowsAffected_ = -1;
};

}  // namespace veranth::engine::direct
