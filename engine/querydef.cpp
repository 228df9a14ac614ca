#include "engine/querydef.h"

#include "engine/conversions.h"
#include "engine/errors.h"

namespace veranth::engine {

QueryDef::QueryDef(QueryInfo info, std::weak_ptr<QueryRunner> runner, bool stored)
    : info_(std::move(info)), runner_(std::move(runner)), stored_(stored) {}

QueryRunner& QueryDef::runner() const {
    auto r = runner_.lock();
    if (!r) throw EngineError(err::kInvalidOperation, QStringLiteral("The database of query '%1' is closed.").arg(name()));
    return *r;
}

bool QueryDef::returnsRecords() const {
    const int t = type();
    if (t == query_type::kPassThrough) return info_.returnsRecords;
    return t == query_type::kSelect || t == query_type::kCrossTab || t == query_type::kSetOperation;
}

Collection<Parameter>& QueryDef::parameters() {
    if (!parametersListed_) rebuildParameters();
    return parameters_;
}

void QueryDef::rebuildParameters() {
    std::vector<std::shared_ptr<Parameter>> params;
    // A text that does not read (yet) has the parameters it declares.
    std::vector<ParameterInfo> needed;
    try {
        needed = runner().parametersOf(info_);
    } catch (const EngineError&) {
        needed = declaredParameters(info_.sql);
    }
    for (const auto& p : needed) {
        auto old = parameters_.find(p.name);
        auto param = std::make_shared<Parameter>(p);
        if (old) param->setValue(old->value());
        params.push_back(param);
    }
    parameters_.load(std::move(params));
    parametersListed_ = true;
}

void QueryDef::save(const QString& previousName) {
    if (stored_) runner().saveQuery(info_, previousName);
}

void QueryDef::setName(const QString& name) {
    const QString previous = info_.name;
    info_.name = name;
    try {
        save(previous);
    } catch (...) {
        info_.name = previous;
        throw;
    }
}

void QueryDef::setSql(const QString& sql) {
    const QueryInfo previous = info_;
    info_.sql = sql;
    try {
        save(info_.name);
    } catch (...) {
        info_ = previous;
        throw;
    }
    if (parametersListed_) rebuildParameters();
}

void QueryDef::setConnect(const QString& connect) {
    info_.connect = connect;
    save(info_.name);
}

void QueryDef::setReturnsRecords(bool v) {
    info_.returnsRecords = v;
    save(info_.name);
}

void QueryDef::execute(int options) { runner().executeQuery(*this, options); }

std::shared_ptr<Recordset> QueryDef::openRecordset(RecordsetType type, int options) {
    return runner().openQuery(*this, type, options);
}

Properties QueryDef::properties() {
    Properties p;
    p.add(Property(QStringLiteral("Name"), 10, [this] { return Value(name()); },
                   [this](const Value& v) { setName(toText(v)); }));
    p.add(Property(QStringLiteral("SQL"), 12, [this] { return Value(sql()); },
                   [this](const Value& v) { setSql(toText(v)); }));
    p.add(Property(QStringLiteral("Type"), 3, [this] { return Value::integer(static_cast<std::int16_t>(type())); }));
    p.add(Property(QStringLiteral("Connect"), 10, [this] { return Value(connect()); },
                   [this](const Value& v) { setConnect(toText(v)); }));
    p.add(Property(QStringLiteral("ReturnsRecords"), 1, [this] { return Value::boolean(returnsRecords()); },
                   [this](const Value& v) { setReturnsRecords(toBoolean(v)); }));
    p.add(Property(QStringLiteral("DateCreated"), 8, [this] { return Value::date(dateCreated()); }));
    p.add(Property(QStringLiteral("LastUpdated"), 8, [this] { return Value::date(lastUpdated()); }));
    p.add(Property(QStringLiteral("Updatable"), 1, [this] { return Value::boolean(!runner().isReadOnly()); }));
    return p;
}

}  // namespace veranth::engine
