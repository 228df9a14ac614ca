#include "engine/property.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/field_type.h"

namespace veranth::engine {

Property::Property(QString name, int type, Getter get, Setter set)
    : name_(std::move(name)), type_(type), get_(std::move(get)), set_(std::move(set)) {}

void Property::setValue(const Value& value) {
    if (!set_) throw EngineError(err::kPropertyReadOnly, QStringLiteral("The property '%1' is read-only.").arg(name_));
    // Basic's conversion rules decide what a property accepts: "abc" into a Long is 13.
    const Value converted = isKnownFieldType(type_) ? convertTo(value, valueTypeOf(static_cast<FieldType>(type_))) : value;
    set_(converted);
}

Property& Properties::item(int index) {
    if (index < 0 || index >= count()) throw EngineError(err::kItemNotFound, QString::number(index));
    return items_[static_cast<size_t>(index)];
}

Property& Properties::item(const QString& name) {
    for (auto& p : items_)
        if (p.name().compare(name, Qt::CaseInsensitive) == 0) return p;
    throw EngineError(err::kPropertyNotFound, name);
}

}  // namespace veranth::engine
