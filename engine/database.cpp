#include "engine/database.h"

#include "engine/conversions.h"
#include "engine/errors.h"

namespace veranth::engine {

void Database::setQueryTimeout(int seconds) {
    if (seconds < 0)
        throw EngineError(err::kInvalidArgumentEngine,
                          QStringLiteral("the QueryTimeout property must be 0 or more seconds"));
    queryTimeout_ = seconds;
}

std::shared_ptr<TableDef> Database::createTableDef(const QString& name) { return TableDef::create(name); }

QStringList Database::tableNames(bool includeSystem) {
    QStringList names;
    for (const auto& t : tableDefs())
        if (includeSystem || !t->isSystem()) names << t->name();
    return names;
}

QStringList Database::queryNames() { return queryDefs().names(); }

Properties Database::properties() {
    Properties p;
    p.add(Property(QStringLiteral("Name"), 10, [this] { return Value(name()); }));
    p.add(Property(QStringLiteral("Connect"), 10, [this] { return Value(connect()); }));
    p.add(Property(QStringLiteral("Transactions"), 1, [this] { return Value::boolean(transactions()); }));
    p.add(Property(QStringLiteral("Updatable"), 1, [this] { return Value::boolean(updatable()); }));
    p.add(Property(QStringLiteral("CollatingOrder"), 4, [] { return Value::longValue(1033); }));
    p.add(Property(QStringLiteral("QueryTimeout"), 3,
                   [this] { return Value::integer(static_cast<std::int16_t>(std::min(queryTimeout(), 32767))); },
                   [this](const Value& v) { setQueryTimeout(toInteger(v)); }));
    p.add(Property(QStringLiteral("Version"), 10, [this] { return Value(version()); }));
    p.add(Property(QStringLiteral("RecordsAffected"), 4, [this] {
        return Value::longValue(static_cast<std::int32_t>(std::min<std::int64_t>(recordsAffected(), INT32_MAX)));
    }));
    return p;
}

}  // namespace veranth::engine
