#include "engine/workspace.h"

#include "engine/connect_string.h"
#include "engine/errors.h"
#include <set>

namespace veranth::engine {

Workspace::Workspace(std::shared_ptr<EngineContext> context, QString name, QString userName)
    : context_(std::move(context)), name_(std::move(name)), userName_(std::move(userName)) {}

Workspace::~Workspace() = default;

std::shared_ptr<Database> Workspace::openDatabase(const QString& name, bool exclusive, bool readOnly,
                                                  const QString& connect) {
    return context_->recorded([&]() -> std::shared_ptr<Database> {
        auto db = context_->kindFor(connect)->open(context_, name, exclusive, readOnly, connect);
        while (db->transactionLevel() < level_) db->beginLevel();
        databases_.push_back(db);
        return db;
    });
}

std::vector<std::shared_ptr<Database>> Workspace::databases() const {
    std::vector<std::shared_ptr<Database>> out;
    for (const auto& weak : databases_)
        if (auto db = weak.lock(); db && db->isOpen()) out.push_back(db);
    return out;
}

// Several Database objects may share one file: each file takes one level, not one per object.
template <class F>
void Workspace::forEachTransactionFile(F&& f) {
    std::set<const void*> seen;
    for (const auto& db : databases()) {
        if (seen.insert(db->transactionKey()).second) f(*db);
    }
}

void Workspace::beginTrans() {
    context_->recorded([&] {
        forEachTransactionFile([&](Database& db) {
            if (db.transactionLevel() <= level_) db.beginLevel();
        });
        ++level_;
    });
}

void Workspace::commitTrans() {
    context_->recorded([&] {
        if (level_ == 0) throw EngineError(err::kNoTransaction);
        forEachTransactionFile([&](Database& db) {
            if (db.transactionLevel() >= level_) db.commitLevel();
        });
        --level_;
    });
}

void Workspace::rollback() {
    context_->recorded([&] {
        if (level_ == 0) throw EngineError(err::kNoTransaction);
        forEachTransactionFile([&](Database& db) {
            if (db.transactionLevel() >= level_) db.rollbackLevel();
        });
        --level_;
    });
}

void Workspace::close() {
    while (level_ > 0) rollback();
    for (const auto& db : databases()) db->close();
    databases_.clear();
}

}  // namespace veranth::engine
