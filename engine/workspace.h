#pragma once

#include "engine/database.h"
#include "engine/engine_context.h"

#include <memory>
#include <vector>

namespace veranth::engine {

// A session of one user. Its transactions span every database open in it: BeginTrans
// starts a level on each, CommitTrans and Rollback end the innermost level on all of
// them; levels nest. A database opened during a transaction joins it at the current level.
class Workspace : public std::enable_shared_from_this<Workspace> {
public:
    Workspace(std::shared_ptr<EngineContext> context, QString name, QString userName);
    ~Workspace();

    const QString& name() const { return name_; }
    const QString& userName() const { return userName_; }

    // A native file by path (".mdb" added when missing) with connect "" or ";pwd=...".
    // ISAM prefixes and "ODBC;" are other kinds of database.
    std::shared_ptr<Database> openDatabase(const QString& name, bool exclusive = false, bool readOnly = false,
                                           const QString& connect = QString());
    std::vector<std::shared_ptr<Database>> databases() const;

    void beginTrans();
    void commitTrans();
    void rollback();
    int transactionLevel() const { return level_; }
    void close();

private:
    template <class F> void forEachTransactionFile(F&& f);

    std::shared_ptr<EngineContext> context_;
    QString name_;
    QString userName_;
    std::vector<std::weak_ptr<Database>> databases_;
    int level_ = 0;
};

}  // namespace veranth::engine
