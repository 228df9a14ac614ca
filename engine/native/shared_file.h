#pragma once

#include "engine/native/kind_bridge.h"
#include "engine/native/sqlite_db.h"

#include <QHash>
#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace veranth::engine::native {

// Something reading a statement lazily that must not see later writes (a snapshot, a
// forward-only set). Before any write on the file it reads the rest of its rows.
class StaticReader {
public:
    virtual ~StaticReader() = default;
    virtual void readRest() = 0;
};

// One open native file, shared by every Database object of the process on that file, so a
// data control and a utility on the same file never wait for each other.
class SharedFile {
public:
    explicit SharedFile(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

    Connection& connection() { return *connection_; }
    const QString& path() const { return connection_->path(); }

    // Called before every write: static readers take their rows first.
    void beforeWrite();
    void addReader(StaticReader* reader) { readers_[reader] = reader; }
    void removeReader(StaticReader* reader) { readers_.erase(reader); }

    // Nested transaction levels, as SQLite savepoints.
    int level() const { return level_; }
    void beginLevel();
    void commitLevel();
    void rollbackLevel();

    // The schema alias under which another native file is attached to this connection, so
    // its tables can be read and written in the same statements and transactions.
    // Attaching needs no transaction open: the first Database object on a file does it.
    QString attach(const QString& canonicalPath);

    // Another kind of database this connection reaches through virtual tables, opened by `open`
    // the first time `key` is asked for and kept while the file is open.
    BridgedDatabase& bridge(const QString& key, const std::function<std::shared_ptr<Database>()>& open);
    BridgedDatabase* bridgeOfSchema(const QString& schema);

    // Bumped by every schema change made through the engine, so catalogs reload.
    int schemaGeneration() const { return generation_; }
    void schemaChanged() { ++generation_; }

private:
    std::unique_ptr<Connection> connection_;
    std::map<StaticReader*, StaticReader*> readers_;
    int level_ = 0;
    int generation_ = 0;
    QHash<QString, QString> attached_;  // canonical path -> schema alias
    std::map<QString, std::unique_ptr<BridgedDatabase>> bridges_;
};

// The files open in one engine, by canonical path.
class FileRegistry {
public:
    // The shared file for the path, opening it when no Database has it open. A file
    // opened read-only first is reopened for writing when a writer asks for it.
    std::shared_ptr<SharedFile> open(const QString& canonicalPath, bool readOnly);
    bool isOpen(const QString& canonicalPath) const;

private:
    QHash<QString, std::weak_ptr<SharedFile>> files_;
};

}  // namespace veranth::engine::native
