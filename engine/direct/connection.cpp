#include "engine/direct/connection.h"

#include "engine/direct/resultset.h"
#include "engine/errors.h"

namespace veranth::engine::direct {

Connection::Connection(std::shared_ptr<odbc::DriverConnection> link, QString name)
    : link_(std::move(link)), name_(std::move(name)) {}

Connection::~Connection() { close(); }

void Connection::execute(const QString& sql, int) {
    odbc::Statement statement(link_);
    statement.setQueryTimeout(queryTimeout_);
    const bool rows = statement.execute(sql);
    rowsAffected_ = rows ? -1 : statement.rowCount();
}

std::shared_ptr<Resultset> Connection::openResultset(const QString& sql, int cursorType, int lockType) {
    return std::make_shared<Resultset>(link_, sql, cursorType, lockType, queryTimeout_);
}

void Connection::beginTrans() {
    if (link_->inTransaction())
        throw EngineError(err::kInvalidOperation, QStringLiteral("A transaction is already open on this connection."));
    link_->begin();
}

void Connection::commitTrans() {
    if (!link_->inTransaction()) throw EngineError(err::kNoTransaction);
    link_->commit();
}

void Connection::rollbackTrans() {
    if (!link_->inTransaction()) throw EngineError(err::kNoTransaction);
    link_->rollback();
}

void Connection::close() { link_->close(); }

}  // namespace veranth::engine::direct
