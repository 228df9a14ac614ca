#pragma once

#include "engine/collection.h"
#include "engine/field.h"
#include "engine/index.h"
#include "engine/property.h"
#include "engine/schema.h"
#include "engine/schema_store.h"

#include <memory>

namespace veranth::engine {

// A table's design: its fields, indexes and properties. Made by Database::createTableDef
// and stored by TableDefs().append, or loaded from the catalog; a stored TableDef writes
// every change (new field, rename, dropped index, ...) to its database at once.
class TableDef : public std::enable_shared_from_this<TableDef> {
public:
    static std::shared_ptr<TableDef> create(const QString& name = QString());
    static std::shared_ptr<TableDef> load(const TableInfo& info, std::weak_ptr<SchemaStore> store);

    const QString& name() const { return info_.name; }
    int attributes() const { return info_.attributes; }
    const QString& connect() const { return info_.connect; }
    const QString& sourceTableName() const { return info_.sourceTableName; }
    const QString& validationRule() const { return info_.validationRule; }
    const QString& validationText() const { return info_.validationText; }
    double dateCreated() const { return info_.dateCreated; }
    double lastUpdated() const { return info_.lastUpdated; }
    bool isSystem() const { return info_.isSystem(); }
    bool isAttached() const { return info_.isAttached(); }
    bool isStored() const { return stored_; }
    bool updatable() const;

    void setName(const QString& name);  // renames a stored table
    void setAttributes(int attributes);
    void setConnect(const QString& connect);
    void setSourceTableName(const QString& name);
    void setValidationRule(const QString& rule);
    void setValidationText(const QString& text);

    Collection<Field>& fields() { return fields_; }
    Collection<Index>& indexes() { return indexes_; }
    std::shared_ptr<Field> createField(const QString& name = QString(), FieldType type = FieldType::Text, int size = 0);
    std::shared_ptr<Index> createIndex(const QString& name = QString());
    // Rows in the table now (counted, not estimated).
    std::int64_t recordCount();
    Properties properties();

    // Engine side.
    TableInfo info() const;  // the description with the current fields and indexes
    SchemaStore& store() const;
    void markStored(std::weak_ptr<SchemaStore> store);

private:
    TableDef() = default;
    void installHooks();

    TableInfo info_;
    Collection<Field> fields_{err::kFieldDefinedTwice};
    Collection<Index> indexes_;
    std::weak_ptr<SchemaStore> store_;
    bool stored_ = false;
};

}  // namespace veranth::engine
