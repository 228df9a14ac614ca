#pragma once

#include "engine/collection.h"
#include "engine/property.h"
#include "engine/recordset.h"
#include "engine/schema.h"

#include <memory>

namespace veranth::engine {

class Database;
class QueryDef;

// A declared parameter of a query; Value is bound when the query runs.
class Parameter {
public:
    explicit Parameter(ParameterInfo info) : info_(std::move(info)) {}
    const QString& name() const { return info_.name; }
    FieldType type() const { return info_.type; }
    const Value& value() const { return value_; }
    // Typed text is accepted and converted when the query runs.
    void setValue(const Value& value) { value_ = value; }

private:
    ParameterInfo info_;
    Value value_;  // Empty until given: running the query without it is 3061
};

// What runs a query's text: its database.
class QueryRunner {
public:
    virtual ~QueryRunner() = default;
    virtual void executeQuery(const QueryDef& query, int options) = 0;
    virtual std::shared_ptr<Recordset> openQuery(const QueryDef& query, RecordsetType type, int options) = 0;
    virtual void saveQuery(const QueryInfo& info, const QString& previousName) = 0;
    virtual bool isReadOnly() const = 0;
    // The parameters the query's text needs, in the order they are bound: by default the
    // declared ones; a database that resolves names adds the names that are no field.
    virtual std::vector<ParameterInfo> parametersOf(const QueryInfo& query) { return declaredParameters(query.sql); }
};

// A stored (or temporary) query: its text, its type derived from the text, parameters.
class QueryDef {
public:
    QueryDef(QueryInfo info, std::weak_ptr<QueryRunner> runner, bool stored);

    const QString& name() const { return info_.name; }
    const QString& sql() const { return info_.sql; }
    int type() const { return queryTypeOf(info_.sql, info_.connect); }
    const QString& connect() const { return info_.connect; }
    bool returnsRecords() const;
    double dateCreated() const { return info_.dateCreated; }
    double lastUpdated() const { return info_.lastUpdated; }
    bool isTemporary() const { return info_.name.isEmpty(); }
    bool isStored() const { return stored_; }
    const QueryInfo& info() const { return info_; }

    void setName(const QString& name);
    void setSql(const QString& sql);
    void setConnect(const QString& connect);
    void setReturnsRecords(bool v);

    // Listed when first asked for (the text is read against the database's catalog then).
    Collection<Parameter>& parameters();
    // 3065 for a query that returns rows.
    void execute(int options = 0);
    std::shared_ptr<Recordset> openRecordset(RecordsetType type = RecordsetType::Default, int options = 0);
    Properties properties();

    void markStored() { stored_ = true; }

private:
    void rebuildParameters();
    void save(const QString& previousName);
    QueryRunner& runner() const;

    QueryInfo info_;
    std::weak_ptr<QueryRunner> runner_;
    bool stored_;
    Collection<Parameter> parameters_;
    bool parametersListed_ = false;
};

}  // namespace veranth::engine
