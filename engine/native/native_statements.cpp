// How a native database runs statements: each one is read as the dialect, translated against
// the database's catalog, its design steps carried out through the object model (so the
// catalog stays right) and its SQLite text run with every value bound.
#include "engine/native/native_database.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/sql/dialect_translator.h"
#include "engine/sql/parser.h"
#include "engine/write_rules.h"

#include <sqlite3.h>

namespace veranth::engine::native {

namespace {

bool readsAsDialect(const QString& text) {
    try {
        sql::parseStatement(text);
        return true;
    } catch (const sql::SqlSyntaxError&) {
        return false;
    }
}

// The statement's values in binding order: its parameters (?1..?N) from `given`, then its
// constants. A parameter with no value is 3061, as when the name was mistyped.
BoundValues boundValues(const std::vector<sql::StatementParameter>& parameters, const sql::BoundValueList& constants,
                        const Collection<Parameter>* given) {
    BoundValues values;
    values.reserve(parameters.size() + constants.size());
    int missing = 0;
    QStringList missingNames;
    for (const sql::StatementParameter& p : parameters) {
        const auto value = given ? given->find(p.name) : nullptr;
        if (!value || value->value().isEmpty()) {
            ++missing;
            missingNames << p.name;
            continue;
        }
        if (p.type) values.emplace_back(coerceForField(value->value(), *p.type, p.name), p.type);
        else values.emplace_back(value->value(), std::nullopt);
    }
    if (missing > 0)
        throw EngineError::withDescription(err::kTooFewParameters,
                                           QStringLiteral("Too few parameters. Expected %1. (No value for %2.)")
                                               .arg(missing)
                                               .arg(missingNames.join(QStringLiteral(", "))));
    values.insert(values.end(), constants.begin(), constants.end());
    return values;
}

std::vector<FieldInfo> fieldsOf(const std::vector<sql::ResultColumn>& columns, std::vector<bool>* typed) {
    std::vector<FieldInfo> fields;
    for (size_t i = 0; i < columns.size(); ++i) {
        FieldInfo f;
        f.name = columns[i].name;
        f.type = columns[i].type.value_or(FieldType::Memo);
        f.size = columns[i].size > 0 ? columns[i].size : defaultFieldSize(f.type);
        f.ordinalPosition = static_cast<int>(i);
        fields.push_back(f);
        typed->push_back(columns[i].type.has_value());
    }
    return fields;
}

TableInfo newTable(const sql::CreateTableStep& step) {
    TableInfo table;
    table.name = step.table;
    table.fields = step.fields;
    table.indexes = step.indexes;
    return table;
}

}  // namespace

std::shared_ptr<StatementCatalog> NativeDatabase::statementCatalog() {
    reloadIfChanged();
    std::weak_ptr<NativeDatabase> self = shared_from_this();
    return std::make_shared<StatementCatalog>(
        catalogView_, file(), *context_->files,
        [self](const TableInfo& link) {
            AttachedSource source = self.lock()->attachedSource(link);
            return StatementCatalog::Source{source.design, source.place};
        },
        [context = context_](const QString& name, const QString& connect) { return openOtherKind(context, name, connect); });
}

void NativeDatabase::execute(const QString& text, int options) {
    recorded([&] {
        // A native file has no server behind it: pass-through text the dialect cannot read is
        // SQLite's own. Text the dialect reads still goes through it, so values are stored right.
        if ((options & exec_option::kSqlPassThrough) && !readsAsDialect(text)) return runSqlite(text);
        runStatement(text, nullptr);
    });
}

void NativeDatabase::executeQuery(const QueryDef& query, int) {
    recorded([&] {
        if (query.returnsRecords()) throw EngineError(err::kCannotExecuteSelect);
        runStatement(query.sql(), &const_cast<QueryDef&>(query).parameters());
    });
}

std::shared_ptr<Recordset> NativeDatabase::openQuery(const QueryDef& query, RecordsetType type, int options) {
    return recorded([&] {
        const QString name = query.isTemporary() ? query.sql() : query.name();
        return openStatement(name, query.sql(), &const_cast<QueryDef&>(query).parameters(), type, options);
    });
}

std::vector<ParameterInfo> NativeDatabase::parametersOf(const QueryInfo& query) {
    return recorded([&] {
        const sql::Translation t = sql::DialectTranslator(statementCatalog()).translate(query.sql);
        std::vector<ParameterInfo> out;
        for (const sql::StatementParameter& p : t.parameters) out.push_back({p.name, p.type.value_or(FieldType::Text), p.type.has_value()});
        return out;
    });
}

void NativeDatabase::runStatement(const QString& text, const Collection<Parameter>* given) {
    requireWritable();
    const auto catalog = statementCatalog();
    const sql::Translation t = sql::DialectTranslator(catalog).translate(text);
    // A row-returning statement changes nothing: the caller opens it as a recordset instead.
    if (t.returnsRecords) throw EngineError(err::kCannotExecuteSelect);
    runTranslation(t, *catalog, boundValues(t.parameters, t.constants, given));
}

void NativeDatabase::runTranslation(const sql::Translation& t, const StatementCatalog& catalog, const BoundValues& values) {
    SharedFile& f = file();
    f.beforeWrite();
    Connection& c = f.connection();
    std::vector<std::function<void()>> undoElsewhere;
    c.exec(QStringLiteral("SAVEPOINT veranth_statement"));
    try {
        for (const sql::DefinitionStep& step : t.definitions) carryOut(step, catalog, undoElsewhere);
        const std::int64_t affected = t.sql.isEmpty() ? 0 : runWrites(t, catalog, values);
        c.exec(QStringLiteral("RELEASE veranth_statement"));
        setRecordsAffected(affected);
    } catch (...) {
        c.exec(QStringLiteral("ROLLBACK TO veranth_statement"));
        c.exec(QStringLiteral("RELEASE veranth_statement"));
        for (auto it = undoElsewhere.rbegin(); it != undoElsewhere.rend(); ++it) {
            try {
                (*it)();
            } catch (const EngineError&) {
                // The statement's own failure is the one to report.
            }
        }
        f.schemaChanged();
        throw;
    }
}

// Runs the statement's text. The rows an INSERT or UPDATE writes come back through RETURNING
// when they must be completed or checked: a new row gets the counters and default values of the
// fields the statement left out, then the whole row is held to the rules; a changed row is held
// to the rules of the fields the statement assigned.
std::int64_t NativeDatabase::runWrites(const sql::Translation& t, const StatementCatalog& catalog, const BoundValues& values) {
    const TableInfo* table = nullptr;
    if (t.target) {
        const sql::CatalogView* home = t.target->schema.isEmpty() ? &catalog : catalog.bySchema(t.target->schema);
        table = home ? home->table(t.target->table) : nullptr;
    }
    // Rows written to another kind of database are held to that database's own rules as they
    // are stored there; SQLite cannot hand them back from a virtual table.
    if (table && (catalog.bridgeOfSchema(t.target->schema) ||
                  catalog.placeOf(*table, t.target->schema).schema == QLatin1String("temp")))
        table = nullptr;
    // The catalog tables describe the database: a statement must not change them behind it.
    if (table && table->isSystem()) throw EngineError(err::kReadOnly, table->name);
    const bool inserting = t.type == sql::QueryType::Append;
    std::vector<bool> given, checked;
    bool completes = false;
    if (table) {
        for (const FieldInfo& f : table->fields) {
            given.push_back(t.target->fields.contains(f.name, Qt::CaseInsensitive));
            checked.push_back(inserting || given.back());
            completes = completes || (inserting && !given.back() && (f.isAutoIncrement() || !f.defaultValue.trimmed().isEmpty()));
        }
        if (!completes && !hasRulesFor(*table, checked)) table = nullptr;
    }
    QString text = t.sql;
    if (table) {
        QStringList columns{QStringLiteral("rowid")};
        for (const FieldInfo& f : table->fields) columns << quoteName(f.name);
        text += QStringLiteral(" RETURNING ") + columns.join(QStringLiteral(", "));
    }
    Connection& c = connection();
    Statement s = c.prepare(text);
    const int expected = sqlite3_bind_parameter_count(s.handle());
    if (expected > static_cast<int>(values.size()))
        throw EngineError(err::kTooFewParameters, QString::number(expected - static_cast<int>(values.size())));
    bindAll(s, values);
    std::vector<std::pair<std::int64_t, std::vector<Value>>> written;
    while (s.step()) {
        if (!table) continue;
        std::vector<Value> row(table->fields.size());
        for (size_t i = 0; i < row.size(); ++i) row[i] = s.value(static_cast<int>(i + 1), table->fields[i].type);
        written.emplace_back(s.int64(0), std::move(row));
    }
    const std::int64_t affected = c.changes();
    if (!table) return affected;
    const TablePlace place = catalog.placeOf(*table, t.target->schema);
    for (auto& [rowid, row] : written) {
        if (completes) completeNewRow(*table, place, given, rowid, row);
        checkAssigned(*table, row, checked);
    }
    return affected;
}

void NativeDatabase::completeNewRow(const TableInfo& table, const TablePlace& place, const std::vector<bool>& given,
                                    std::int64_t rowid, std::vector<Value>& row) {
    QStringList sets;
    BoundValues filled;
    for (size_t i = 0; i < row.size(); ++i) {
        const FieldInfo& f = table.fields[i];
        if (given[i] || !row[i].isNull()) continue;
        row[i] = f.isAutoIncrement() ? nextCounter(connection(), place, f) : defaultValueFor(f);
        if (row[i].isNull()) continue;
        sets << quoteName(f.name) + QStringLiteral(" = ?");
        filled.emplace_back(row[i], f.type);
    }
    if (sets.isEmpty()) return;
    Statement update = connection().prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(place.sql(), sets.join(QStringLiteral(", "))));
    bindAll(update, filled);
    update.bindInt64(static_cast<int>(filled.size()) + 1, rowid);
    update.step();
}

void NativeDatabase::carryOut(const sql::DefinitionStep& step, const StatementCatalog& catalog,
                              std::vector<std::function<void()>>& undoElsewhere) {
    if (const auto* create = std::get_if<sql::CreateTableStep>(&step)) {
        if (create->schema.isEmpty()) return createTable(newTable(*create));
        if (BridgedDatabase* other = catalog.bridgeOfSchema(create->schema)) {
            other->createTable(newTable(*create));
            undoElsewhere.push_back([other, name = create->table] { other->dropTable(name); });
            return;
        }
        // A make-table into another file: that file's own object model makes the table.
        const auto other = catalog.fileOfSchema(create->schema);
        if (!other) throw EngineError(err::kFileNotFound, create->schema);
        auto db = NativeDatabase::open(context_, context_->files->open(other->path, false), other->path, other->connect, false);
        db->createTable(newTable(*create));
        undoElsewhere.push_back([db, name = create->table] { db->dropTable(name); });
        return;
    }
    if (const auto* index = std::get_if<sql::CreateIndexStep>(&step)) return addIndex(index->table, index->index);
    if (const auto* drop = std::get_if<sql::DropTableStep>(&step)) return dropTable(drop->table);
    if (const auto* drop = std::get_if<sql::DropIndexStep>(&step)) return dropIndex(drop->table, drop->index);
    if (const auto* add = std::get_if<sql::AddColumnStep>(&step)) return addField(add->table, add->field);
    if (const auto* drop = std::get_if<sql::DropColumnStep>(&step)) return dropField(drop->table, drop->column);
    if (const auto* alter = std::get_if<sql::AlterColumnStep>(&step)) return changeFieldType(alter->table, alter->field);
}

void NativeDatabase::runSqlite(const QString& sqliteSql) {
    requireWritable();
    Connection& c = connection();
    Statement s = c.prepare(sqliteSql);
    if (s.columnCount() > 0) throw EngineError(err::kCannotExecuteSelect);
    std::int64_t affected = 0;
    atomically([&] {
        while (s.step()) {
        }
        affected = c.changes();
    });
    setRecordsAffected(affected);
}

std::shared_ptr<Recordset> NativeDatabase::openStatement(const QString& name, const QString& text,
                                                         const Collection<Parameter>* given, RecordsetType type,
                                                         int options) {
    if (type == RecordsetType::Table)
        throw EngineError(err::kNotSupported, QStringLiteral("A table-type recordset opens a stored table, not a query."));
    const auto catalog = statementCatalog();
    const sql::DialectTranslator translator(catalog);
    const sql::Translation t = translator.translate(text);
    if (!t.returnsRecords)
        throw EngineError(err::kInvalidOperation,
                          QStringLiteral("An action query returns no records; run it with Execute."));
    const BoundValues values = boundValues(t.parameters, t.constants, given);
    const bool readOnly = readOnly_ || (options & rs_option::kReadOnly);
    const bool forwardOnly = type == RecordsetType::ForwardOnly || (options & rs_option::kForwardOnly);
    if (!forwardOnly && (type == RecordsetType::Dynaset || type == RecordsetType::Default)) {
        if (auto single = translator.singleTableSelect(text)) {
            if (auto table = tableDefs_.find(single->table); table && !table->isAttached()) {
                WhereOrder selection{single->where, boundValues(single->parameters, single->constants, given), single->orderBy};
                auto backend = std::make_shared<KeysetBackend>(file_, table->info(), selection,
                                                               !readOnly && table->updatable(),
                                                               QStringLiteral("System tables cannot be changed."));
                return Recordset::open(RecordsetType::Dynaset, name, backend, readOnly, context_->errors);
            }
        }
    }
    std::vector<bool> typed;
    std::vector<FieldInfo> fields = fieldsOf(t.columns, &typed);
    auto backend = std::make_shared<MaterialisedBackend>(file_, t.sql, values, std::move(fields), forwardOnly, std::move(typed));
    const RecordsetType actual = forwardOnly ? RecordsetType::ForwardOnly : (type == RecordsetType::Default ? RecordsetType::Dynaset : type);
    return Recordset::open(actual, name, backend, true, context_->errors);
}

}  // namespace veranth::engine::native
