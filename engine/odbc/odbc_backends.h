#pragma once

#include "engine/odbc/driver_connection.h"
#include "engine/recordset_backend.h"

#include <deque>
#include <functional>
#include <set>

namespace veranth::engine::odbc {

using Reopen = std::function<std::shared_ptr<RecordsetBackend>(const QString& filter, const QString& sort)>;

// Snapshot and forward-only sets: the rows of a statement, fetched as the set moves and kept,
// read-only. Before the database writes anything the rest is read (readRest), so the set
// stays as it was opened.
class ResultBackend : public RecordsetBackend {
public:
    ResultBackend(std::unique_ptr<Statement> statement, Reopen reopen);

    const std::vector<FieldInfo>& fields() const override { return fields_; }
    bool ensure(std::int64_t index) override;
    std::int64_t knownCount() const override { return static_cast<std::int64_t>(rows_.size()); }
    bool complete() const override { return !statement_; }
    void readRow(std::int64_t index, std::vector<Value>& out) override;
    bool isDeleted(std::int64_t) override { return false; }
    QByteArray bookmarkOf(std::int64_t index) override;
    std::optional<std::int64_t> indexOfBookmark(const QByteArray& bookmark) override;
    bool updatable() const override { return false; }
    QString whyNotUpdatable() const override;
    std::int64_t insert(const std::vector<Value>&) override;
    void update(std::int64_t, const std::vector<Value>&, const std::vector<bool>&) override;
    void remove(std::int64_t) override;
    std::shared_ptr<RecordsetBackend> reopen(const QString& filter, const QString& sort) override;
    std::shared_ptr<RecordsetBackend> withIndex(const QString&) override;
    std::optional<std::int64_t> seek(const QString&, const std::vector<Value>&) override;

    void readRest();

private:
    bool fetchOne();

    std::unique_ptr<Statement> statement_;  // released once every row is read
    std::vector<FieldInfo> fields_;
    std::deque<std::vector<Value>> rows_;
    Reopen reopen_;
};

// Dynasets over one keyed server table: the keys of the chosen rows, fetched as the set moves;
// each row read by its key when shown; AddNew, Edit and Delete written by key.
class KeyedTableBackend : public RecordsetBackend {
public:
    struct Source {
        QString table;          // the server's name
        QString where;          // driver SQL, may be empty
        QString orderBy;        // driver SQL, may be empty
        std::vector<FieldInfo> fields;
        std::vector<QString> keys;  // the primary key's (or a unique index's) columns
        QString quote;
        QString dbms;
        int queryTimeout = 0;
        bool readOnly = false;
        QString whyNot;
    };
    KeyedTableBackend(std::shared_ptr<DriverConnection> connection, Source source, Reopen reopen,
                      std::function<void()> beforeWrite);

    const std::vector<FieldInfo>& fields() const override { return source_.fields; }
    bool ensure(std::int64_t index) override;
    std::int64_t knownCount() const override { return static_cast<std::int64_t>(keys_.size()); }
    bool complete() const override { return !keyStatement_; }
    void readRow(std::int64_t index, std::vector<Value>& out) override;
    bool isDeleted(std::int64_t index) override { return deleted_.count(index) != 0; }
    QByteArray bookmarkOf(std::int64_t index) override;
    std::optional<std::int64_t> indexOfBookmark(const QByteArray& bookmark) override;
    bool updatable() const override { return !source_.readOnly; }
    QString whyNotUpdatable() const override { return source_.whyNot; }
    std::int64_t insert(const std::vector<Value>& values) override;
    void update(std::int64_t index, const std::vector<Value>& values, const std::vector<bool>& changed) override;
    void remove(std::int64_t index) override;
    std::shared_ptr<RecordsetBackend> reopen(const QString& filter, const QString& sort) override;
    std::shared_ptr<RecordsetBackend> withIndex(const QString&) override;
    std::optional<std::int64_t> seek(const QString&, const std::vector<Value>&) override;

private:
    bool fetchKey();
    QString keyCondition(ParameterBinder& binder, const std::vector<Value>& key) const;
    QString column(const QString& name) const;
    int fieldIndex(const QString& name) const;
    std::vector<Value> lastInsertedKey(const std::vector<Value>& values);

    std::shared_ptr<DriverConnection> connection_;
    Source source_;
    Reopen reopen_;
    std::function<void()> beforeWrite_;
    std::unique_ptr<Statement> keyStatement_;
    std::vector<std::vector<Value>> keys_;
    std::set<std::int64_t> deleted_;
    std::int64_t cachedIndex_ = -1;
    std::vector<Value> cachedRow_;
};

}  // namespace veranth::engine::odbc
