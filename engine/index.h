#pragma once

#include "engine/property.h"
#include "engine/schema.h"

#include <memory>

namespace veranth::engine {

class TableDef;

// An index of a table design. Everything but Name is fixed once the index is stored.
class Index {
public:
    explicit Index(const QString& name) { info_.name = name; }
    explicit Index(IndexInfo info) : info_(std::move(info)) {}

    const QString& name() const { return info_.name; }
    QString fields() const { return info_.fieldsText(); }
    bool primary() const { return info_.primary; }
    bool unique() const { return info_.unique || info_.primary; }
    bool ignoreNulls() const { return info_.ignoreNulls; }
    bool required() const { return info_.required || info_.primary; }
    bool foreign() const { return info_.foreign; }
    const IndexInfo& info() const { return info_; }

    void setName(const QString& name);
    // "A;B" or "+A;-B"; the form Fields returns is accepted back.
    void setFields(const QString& fields);
    void setPrimary(bool v);
    void setUnique(bool v);
    void setIgnoreNulls(bool v);
    void setRequired(bool v);

    Properties properties();

    void attachToTable(std::weak_ptr<TableDef> table) { table_ = std::move(table); }

private:
    void requireNotStored(const char* property) const;
    std::weak_ptr<TableDef> table_;
    IndexInfo info_;
};

}  // namespace veranth::engine
