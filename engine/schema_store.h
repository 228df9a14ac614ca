#pragma once

#include "engine/schema.h"

#include <QString>

#include <cstdint>

namespace veranth::engine {

// What a kind of database does when design objects change. Each call either completes or
// changes nothing. Kinds that cannot do a step refuse it with 3251.
class SchemaStore {
public:
    virtual ~SchemaStore() = default;

    virtual void createTable(const TableInfo& table) = 0;
    virtual void dropTable(const QString& table) = 0;
    virtual void renameTable(const QString& from, const QString& to) = 0;
    virtual void updateTable(const TableInfo& table) = 0;  // validation rule and text
    virtual void addField(const QString& table, const FieldInfo& field) = 0;
    virtual void dropField(const QString& table, const QString& field) = 0;
    virtual void renameField(const QString& table, const QString& from, const QString& to) = 0;
    virtual void updateField(const QString& table, const FieldInfo& field) = 0;
    virtual void addIndex(const QString& table, const IndexInfo& index) = 0;
    virtual void dropIndex(const QString& table, const QString& index) = 0;
    virtual void renameIndex(const QString& table, const QString& from, const QString& to) = 0;
    virtual std::int64_t countRows(const QString& table) = 0;
    virtual bool isReadOnly() const = 0;
};

}  // namespace veranth::engine
