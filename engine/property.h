#pragma once

#include "engine/value.h"

#include <QString>

#include <functional>
#include <vector>

namespace veranth::engine {

// A named property of an engine object (Database, TableDef, QueryDef, Field, Index).
// Writing converts the value to the property's type (13 for text into a number); writing
// a read-only property raises 3219 naming it; writing "Name" renames the object.
class Property {
public:
    using Getter = std::function<Value()>;
    using Setter = std::function<void(const Value&)>;

    // `type` is a field type code (1 Boolean, 4 Long, 8 Date, 10 Text, ...).
    Property(QString name, int type, Getter get, Setter set = Setter());

    const QString& name() const { return name_; }
    int type() const { return type_; }
    bool isReadOnly() const { return !set_; }
    Value value() const { return get_(); }
    void setValue(const Value& value);

private:
    QString name_;
    int type_;
    Getter get_;
    Setter set_;
};

class Properties {
public:
    void add(Property p) { items_.push_back(std::move(p)); }
    int count() const { return static_cast<int>(items_.size()); }
    Property& item(int index);
    Property& item(const QString& name);  // 3270 when unknown
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

private:
    std::vector<Property> items_;
};

}  // namespace veranth::engine
