#include "engine/tabledef.h"

#include "engine/conversions.h"
#include "engine/errors.h"

namespace veranth::engine {

std::shared_ptr<TableDef> TableDef::create(const QString& name) {
    std::shared_ptr<TableDef> t(new TableDef());
    t->info_.name = name;
    t->installHooks();
    return t;
}

std::shared_ptr<TableDef> TableDef::load(const TableInfo& info, std::weak_ptr<SchemaStore> store) {
    std::shared_ptr<TableDef> t(new TableDef());
    t->info_ = info;
    t->info_.fields.clear();
    t->info_.indexes.clear();
    for (const auto& f : info.fields) {
        auto field = std::make_shared<Field>(f);
        field->attachToTable(t);
        t->fields_.loadOne(field);
    }
    for (const auto& i : info.indexes) {
        auto index = std::make_shared<Index>(i);
        index->attachToTable(t);
        t->indexes_.loadOne(index);
    }
    t->store_ = std::move(store);
    t->stored_ = true;
    t->installHooks();
    return t;
}

void TableDef::installHooks() {
    std::weak_ptr<TableDef> self = weak_from_this();
    fields_.setHooks(
        [self](const std::shared_ptr<Field>& f) {
            auto t = self.lock();
            if (!t) return;
            if (f->name().trimmed().isEmpty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("a field needs a name"));
            if (t->stored_) {
                FieldInfo info = f->info();
                if (info.ordinalPosition == 0) info.ordinalPosition = t->fields_.count();
                t->store().addField(t->name(), info);
            }
            f->attachToTable(t);
        },
        [self](const std::shared_ptr<Field>& f) {
            auto t = self.lock();
            if (t && t->stored_) t->store().dropField(t->name(), f->name());
        });
    indexes_.setHooks(
        [self](const std::shared_ptr<Index>& i) {
            auto t = self.lock();
            if (!t) return;
            if (i->info().keys.empty())
                throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("index '%1' has no fields").arg(i->name()));
            if (t->stored_) t->store().addIndex(t->name(), i->info());
            i->attachToTable(t);
        },
        [self](const std::shared_ptr<Index>& i) {
            auto t = self.lock();
            if (t && t->stored_) t->store().dropIndex(t->name(), i->name());
        });
}

SchemaStore& TableDef::store() const {
    auto s = store_.lock();
    if (!s) throw EngineError(err::kInvalidOperation, QStringLiteral("The database of table '%1' is closed.").arg(name()));
    return *s;
}

void TableDef::markStored(std::weak_ptr<SchemaStore> store) {
    store_ = std::move(store);
    stored_ = true;
}

bool TableDef::updatable() const {
    if (isSystem()) return false;
    auto s = store_.lock();
    return !s || !s->isReadOnly();
}

void TableDef::setName(const QString& name) {
    if (stored_ && name.compare(info_.name) != 0) store().renameTable(info_.name, name);
    info_.name = name;
}

void TableDef::setAttributes(int attributes) {
    if (stored_) throw EngineError(err::kPropertyReadOnly, QStringLiteral("The property 'Attributes' of a stored table is read-only."));
    info_.attributes = attributes;
}

void TableDef::setConnect(const QString& connect) {
    if (stored_ && !isAttached()) throw EngineError(err::kPropertyReadOnly, QStringLiteral("Only an attached table has a Connect."));
    info_.connect = connect;
    if (stored_) store().updateTable(info());
}

void TableDef::setSourceTableName(const QString& name) {
    if (stored_) throw EngineError(err::kPropertyReadOnly, QStringLiteral("The property 'SourceTableName' of a stored table is read-only."));
    info_.sourceTableName = name;
}

void TableDef::setValidationRule(const QString& rule) {
    TableInfo changed = info();
    changed.validationRule = rule;
    if (stored_) store().updateTable(changed);
    info_.validationRule = rule;
}

void TableDef::setValidationText(const QString& text) {
    TableInfo changed = info();
    changed.validationText = text;
    if (stored_) store().updateTable(changed);
    info_.validationText = text;
}

std::shared_ptr<Field> TableDef::createField(const QString& name, FieldType type, int size) {
    return std::make_shared<Field>(name, type, size);
}

std::shared_ptr<Index> TableDef::createIndex(const QString& name) { return std::make_shared<Index>(name); }

std::int64_t TableDef::recordCount() { return stored_ ? store().countRows(info_.name) : 0; }

TableInfo TableDef::info() const {
    TableInfo out = info_;
    out.fields.clear();
    out.indexes.clear();
    int position = 0;
    for (const auto& f : fields_) {
        FieldInfo fi = f->info();
        if (!stored_) fi.ordinalPosition = position;
        ++position;
        out.fields.push_back(fi);
    }
    for (const auto& i : indexes_) out.indexes.push_back(i->info());
    return out;
}

Properties TableDef::properties() {
    Properties p;
    p.add(Property(QStringLiteral("Name"), 10, [this] { return Value(name()); },
                   [this](const Value& v) { setName(toText(v)); }));
    p.add(Property(QStringLiteral("Attributes"), 4, [this] { return Value::longValue(attributes()); }));
    p.add(Property(QStringLiteral("Connect"), 10, [this] { return Value(connect()); }));
    p.add(Property(QStringLiteral("SourceTableName"), 10, [this] { return Value(sourceTableName()); }));
    p.add(Property(QStringLiteral("DateCreated"), 8, [this] { return Value::date(dateCreated()); }));
    p.add(Property(QStringLiteral("LastUpdated"), 8, [this] { return Value::date(lastUpdated()); }));
    p.add(Property(QStringLiteral("RecordCount"), 4, [this] {
        return Value::longValue(static_cast<std::int32_t>(std::min<std::int64_t>(recordCount(), INT32_MAX)));
    }));
    p.add(Property(QStringLiteral("Updatable"), 1, [this] { return Value::boolean(updatable()); }));
    p.add(Property(QStringLiteral("ValidationRule"), 10, [this] { return Value(validationRule()); },
                   [this](const Value& v) { setValidationRule(toText(v)); }));
    p.add(Property(QStringLiteral("ValidationText"), 10, [this] { return Value(validationText()); },
                   [this](const Value& v) { setValidationText(toText(v)); }));
    return p;
}

}  // namespace veranth::engine
