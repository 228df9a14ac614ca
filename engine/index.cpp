#include "engine/index.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/tabledef.h"

namespace veranth::engine {

void Index::requireNotStored(const char* property) const {
    auto table = table_.lock();
    if (table && table->isStored())
        throw EngineError(err::kPropertyReadOnly,
                          QStringLiteral("The property '%1' of a stored index is read-only.").arg(QLatin1String(property)));
}

void Index::setName(const QString& name) {
    auto table = table_.lock();
    if (table && table->isStored() && name.compare(info_.name) != 0) {
        if (table->indexes().contains(name) && name.compare(info_.name, Qt::CaseInsensitive) != 0)
            throw EngineError(err::kNameExists, name);
        table->store().renameIndex(table->name(), info_.name, name);
    }
    info_.name = name;
}

void Index::setFields(const QString& fields) {
    requireNotStored("Fields");
    info_.keys = IndexInfo::parseFields(fields);
}

void Index::setPrimary(bool v) {
    requireNotStored("Primary");
    info_.primary = v;
}

void Index::setUnique(bool v) {
    requireNotStored("Unique");
    info_.unique = v;
}

void Index::setIgnoreNulls(bool v) {
    requireNotStored("IgnoreNulls");
    info_.ignoreNulls = v;
}

void Index::setRequired(bool v) {
    requireNotStored("Required");
    info_.required = v;
}

Properties Index::properties() {
    Properties p;
    p.add(Property(QStringLiteral("Name"), 10, [this] { return Value(name()); },
                   [this](const Value& v) { setName(toText(v)); }));
    p.add(Property(QStringLiteral("Fields"), 10, [this] { return Value(fields()); },
                   [this](const Value& v) { setFields(toText(v)); }));
    auto flag = [&](const char* name, bool (Index::*get)() const, void (Index::*set)(bool)) {
        p.add(Property(QLatin1String(name), 1, [this, get] { return Value::boolean((this->*get)()); },
                       [this, set](const Value& v) { (this->*set)(toBoolean(v)); }));
    };
    flag("Primary", &Index::primary, &Index::setPrimary);
    flag("Unique", &Index::unique, &Index::setUnique);
    flag("IgnoreNulls", &Index::ignoreNulls, &Index::setIgnoreNulls);
    flag("Required", &Index::required, &Index::setRequired);
    p.add(Property(QStringLiteral("Foreign"), 1, [this] { return Value::boolean(foreign()); }));
    return p;
}

}  // namespace veranth::engine
