#include "engine/sql/statement_compiler.h"

#include "engine/errors.h"
#include "engine/sql/printer.h"
#include "engine/sql/query_compiler.h"

namespace veranth::engine::sql {

namespace {

constexpr int kOutputTableNotFound = 3192;
constexpr int kValueCountMismatch = 3346;
constexpr int kDeleteNeedsTable = 3128;

bool sameKey(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The table of a join that the statement calls `key` (its alias, else its name); null when the
// name is a query or a derived table, which cannot be written.
const TableReference* tableCalled(const TableSource& source, const QString& key) {
    if (source.kind == TableSourceKind::Table) {
        const auto& t = source.as<TableReference>();
        const QString own = t.alias.isEmpty() ? t.name.parts.join(QLatin1Char('.')) : t.alias;
        return sameKey(own, key) ? &t : nullptr;
    }
    if (source.kind != TableSourceKind::Join) return nullptr;
    const auto& j = source.as<Join>();
    if (const TableReference* t = tableCalled(*j.left, key)) return t;
    return tableCalled(*j.right, key);
}

const SourceColumn& targetColumn(const Source& target, const QString& name) {
    if (const SourceColumn* c = target.column(name)) return *c;
    throw EngineError(err::kItemNotFound, name);
}

// The result columns of a make-table query become the new table's fields.
std::vector<FieldInfo> fieldsOf(const CompiledQuery& q) {
    std::vector<FieldInfo> fields;
    for (size_t i = 0; i < q.columns.size(); ++i) {
        for (const FieldInfo& f : fields)
            if (f.name.compare(q.columns[i].name, Qt::CaseInsensitive) == 0) throw EngineError(err::kFieldDefinedTwice, f.name);
        FieldInfo f;
        f.name = q.columns[i].name;
        f.type = q.columns[i].type.value_or(FieldType::Text);
        f.size = q.columns[i].size > 0 ? q.columns[i].size : defaultFieldSize(f.type);
        if (f.type == FieldType::Text && q.columns[i].size <= 0) f.size = 255;
        f.attributes = isTextual(f.type) || f.type == FieldType::Binary ? field_attr::kVariable : field_attr::kFixed;
        // The rows copied in may hold empty texts; refusing them would fail every later edit.
        f.allowZeroLength = isTextual(f.type);
        f.ordinalPosition = static_cast<int>(i);
        fields.push_back(f);
    }
    return fields;
}

IndexInfo indexOf(const ConstraintDefinition& c, const QStringList& ownColumn) {
    IndexInfo index;
    index.name = c.name;
    for (const QString& column : c.columns.isEmpty() ? ownColumn : c.columns) index.keys.push_back({column, false});
    index.primary = c.kind == ConstraintKind::PrimaryKey;
    index.unique = c.kind != ConstraintKind::ForeignKey;
    index.required = index.primary;
    index.foreign = c.kind == ConstraintKind::ForeignKey;
    if (index.name.isEmpty()) index.name = index.primary ? QStringLiteral("PrimaryKey") : ownColumn.value(0, QStringLiteral("Index"));
    return index;
}

class Compiler {
public:
    Compiler(const Statement& statement, const CatalogView& catalog, LiteralMode mode)
        : context_(catalog, mode, statement.parameters), queries_(context_), ex_(queries_.expressions()) {
        out_.type = queryTypeOf(statement);
        out_.returnsRecords = returnsRecords(statement);
    }

    Translation run(const StatementBody& body) {
        std::visit([this](const auto& b) { compile(b); }, body);
        out_.sql = context_.finish(out_.sql);
        out_.parameters = context_.parameters();
        out_.constants = context_.constants();
        out_.externals = context_.externals();
        return std::move(out_);
    }

private:
    void compile(const QueryPtr& query) {
        const SelectQuery* select = query->select();
        if (!select || !select->into) {
            const CompiledQuery q = queries_.compile(*query);
            out_.sql = q.sql;
            out_.columns = q.columns;
            return;
        }
        // SELECT ... INTO: a new table shaped like the result, then the rows copied in.
        const IntoTarget& into = *select->into;
        const CatalogView& target = into.table.connect ? context_.external(QString(), *into.table.connect)
                                    : into.external    ? context_.external(into.external->database, into.external->connect.value_or(QString()))
                                                       : context_.catalog();
        const QString name = into.table.parts.join(QLatin1Char('.'));
        if (target.table(name) || target.querySql(name)) throw EngineError(err::kTableExists, name);
        const CompiledQuery q = queries_.compile(*query);
        CreateTableStep create{name, fieldsOf(q), {}, target.schemaName()};
        QStringList columns;
        for (const FieldInfo& f : create.fields) columns << quoted(f.name);
        const QString place = target.newTablePlace(name);
        out_.sql = QStringLiteral("INSERT INTO %1 (%2) %3").arg(place, columns.join(QStringLiteral(", ")), q.sql);
        out_.definitions.push_back(std::move(create));
    }

    Source target(const TableName& name, const std::optional<ExternalDatabase>& external, QString* place, QString* schema) {
        try {
            return queries_.targetSource(name, QString(), external, place, schema);
        } catch (const EngineError& e) {
            if (e.number() != err::kInputTableNotFound) throw;
            throw EngineError::withDescription(kOutputTableNotFound,
                                               QStringLiteral("The output table '%1' was not found.").arg(name.parts.join(QLatin1Char('.'))));
        }
    }

    void compile(const InsertStatement& insert) {
        QString place, schema;
        const Source t = target(insert.target, insert.external, &place, &schema);
        std::vector<const SourceColumn*> columns;
        if (insert.columns.isEmpty())
            for (const SourceColumn& c : t.columns) columns.push_back(&c);
        else
            for (const QString& name : insert.columns) columns.push_back(&targetColumn(t, name));
        QStringList names, fields;
        for (const SourceColumn* c : columns) {
            names << quoted(c->name);
            fields << c->name;
        }
        out_.target = WriteTarget{t.qualifier, schema, fields};
        QString rows;
        if (insert.query) {
            const CompiledQuery q = queries_.compile(*insert.query);
            if (q.columns.size() != columns.size())
                throw EngineError::withDescription(kValueCountMismatch, QStringLiteral("Number of query values and destination fields are not the same."));
            QStringList converted;
            for (size_t i = 0; i < columns.size(); ++i) {
                Emitted e;
                e.sql = QStringLiteral("\"q\".") + quoted(q.columns[i].name);
                e.type = q.types[i];
                e.plainColumn = true;
                converted << ex_.assign(e, columns[i]->type);
            }
            rows = QStringLiteral("SELECT %1 FROM (%2) AS \"q\"").arg(converted.join(QStringLiteral(", ")), q.sql);
        } else {
            if (insert.values.size() != columns.size())
                throw EngineError::withDescription(kValueCountMismatch, QStringLiteral("Number of query values and destination fields are not the same."));
            const Scope none;
            QStringList values;
            for (size_t i = 0; i < columns.size(); ++i) values << stored(ex_.compile(*insert.values[i], none), *columns[i]);
            rows = QStringLiteral("VALUES (%1)").arg(values.join(QStringLiteral(", ")));
        }
        out_.sql = QStringLiteral("INSERT INTO %1 (%2) %3").arg(place, names.join(QStringLiteral(", ")), rows);
    }

    // A value stored into a field: a literal converted now by the field's own rules (so
    // '16/Apr/2004' becomes a date and 'abc' for a number is refused before anything changes).
    QString stored(const Emitted& e, const SourceColumn& column) {
        if (e.constant && column.field) {
            const Value v = coerceForField(*e.constant, *column.field, column.name);
            return context_.constant(v, column.type);
        }
        return ex_.assign(e, column.type);
    }

    void compile(const UpdateStatement& update) {
        if (update.table->kind != TableSourceKind::Table) return compileJoined(update);
        const auto& ref = update.table->as<TableReference>();
        QString place, schema;
        Scope scope;
        scope.add(queries_.targetSource(ref.name, ref.alias, std::nullopt, &place, &schema));
        const Source& t = scope.sources().front();
        QStringList sets;
        WriteTarget written{t.qualifier, schema, {}};
        for (const Assignment& a : update.assignments) {
            const SourceColumn& column = targetColumn(t, a.column.back());
            written.fields << column.name;
            // SQLite evaluates every SET expression against the row as it was, as the dialect does.
            sets << quoted(column.name) + QStringLiteral(" = ") + stored(ex_.compile(*a.value, scope), column);
        }
        out_.target = std::move(written);
        out_.sql = QStringLiteral("UPDATE %1 SET %2").arg(place, sets.join(QStringLiteral(", ")));
        if (update.where) out_.sql += QStringLiteral(" WHERE ") + ex_.condition(ex_.compile(*update.where, scope));
    }

    // An UPDATE over a join changes the rows of the one table its assignments name. The join is
    // evaluated once, as it stands (inner, left or right), giving each changed row's key and new
    // values; SQLite then writes them by key, so every value is read from the rows as they were.
    void compileJoined(const UpdateStatement& update) {
        Scope scope;
        const QString from = queries_.fromClause(*update.table, std::nullopt, scope);
        const Source* changed = nullptr;
        for (const Assignment& a : update.assignments) {
            const Source* s = nullptr;
            if (a.column.size() > 1) {
                s = scope.source(a.column.mid(0, a.column.size() - 1).join(QLatin1Char('.')));
                if (!s) throw EngineError(err::kInputTableNotFound, a.column.mid(0, a.column.size() - 1).join(QLatin1Char('.')));
            } else if (auto r = scope.resolve(a.column)) {
                s = r->source;
            }
            if (!s) throw EngineError(err::kItemNotFound, a.column.join(QLatin1Char('.')));
            if (changed && changed != s)
                throw EngineError(err::kNotSupported, QStringLiteral("An UPDATE over a join changes the fields of one of its tables only."));
            changed = s;
        }
        const TableReference* ref = changed ? tableCalled(*update.table, changed->key) : nullptr;
        if (!ref) throw EngineError(err::kRecordsetNotUpdatable, changed ? changed->key : QString());
        QString place, schema;
        const Source t = queries_.targetSource(ref->name, QString(), std::nullopt, &place, &schema);
        WriteTarget written{t.qualifier, schema, {}};
        QStringList sets, values;
        for (const Assignment& a : update.assignments) {
            const SourceColumn& column = targetColumn(t, a.column.back());
            written.fields << column.name;
            const QString name = QStringLiteral("vx_v%1").arg(values.size());
            values << stored(ex_.compile(*a.value, scope), column) + QStringLiteral(" AS ") + quoted(name);
            sets << quoted(column.name) + QStringLiteral(" = \"vx_j\".") + quoted(name);
        }
        QString rows = QStringLiteral("SELECT %1.rowid AS \"vx_key\", %2 FROM %3")
                           .arg(quoted(changed->qualifier), values.join(QStringLiteral(", ")), from);
        if (update.where) rows += QStringLiteral(" WHERE ") + ex_.condition(ex_.compile(*update.where, scope));
        out_.target = std::move(written);
        out_.sql = QStringLiteral("UPDATE %1 SET %2 FROM (%3) AS \"vx_j\" WHERE %4.rowid = \"vx_j\".\"vx_key\"")
                       .arg(place, sets.join(QStringLiteral(", ")), rows, quoted(t.qualifier));
    }

    void compile(const DeleteStatement& del) {
        if (del.from.size() != 1 || del.from.front()->kind != TableSourceKind::Table) return compileJoined(del);
        const auto& ref = del.from.front()->as<TableReference>();
        QString place, schema;
        Scope scope;
        scope.add(queries_.targetSource(ref.name, ref.alias, del.fromExternal, &place, &schema));
        out_.target = WriteTarget{scope.sources().front().qualifier, schema, {}};
        out_.sql = QStringLiteral("DELETE FROM %1").arg(place);
        if (del.where) out_.sql += QStringLiteral(" WHERE ") + ex_.condition(ex_.compile(*del.where, scope));
    }

    // A DELETE over a join or several tables removes the rows of the one table it names
    // (DELETE t.* FROM ...) that the join and WHERE select.
    void compileJoined(const DeleteStatement& del) {
        Scope scope;
        QStringList from;
        for (const TableSourcePtr& s : del.from) from << queries_.fromClause(*s, del.fromExternal, scope);
        QStringList named;
        for (const QStringList& t : del.targets)
            if (!t.isEmpty()) named << t.join(QLatin1Char('.'));
        named.removeDuplicates();
        if (named.size() > 1)
            throw EngineError(err::kNotSupported, QStringLiteral("A DELETE removes the rows of one table at a time."));
        if (named.isEmpty() && scope.sources().size() != 1)
            throw EngineError::withDescription(kDeleteNeedsTable, QStringLiteral("Specify the table containing the records you want to delete."));
        const Source* removed = named.isEmpty() ? &scope.sources().front() : scope.source(named.front());
        if (!removed) throw EngineError(err::kInputTableNotFound, named.front());
        const TableReference* ref = nullptr;
        for (const TableSourcePtr& s : del.from)
            if (!ref) ref = tableCalled(*s, removed->key);
        if (!ref) throw EngineError(err::kRecordsetNotUpdatable, removed->key);
        QString place, schema;
        const Source t = queries_.targetSource(ref->name, QString(), del.fromExternal, &place, &schema);
        QString rows = QStringLiteral("SELECT %1.rowid FROM %2").arg(quoted(removed->qualifier), from.join(QStringLiteral(", ")));
        if (del.where) rows += QStringLiteral(" WHERE ") + ex_.condition(ex_.compile(*del.where, scope));
        out_.target = WriteTarget{t.qualifier, schema, {}};
        out_.sql = QStringLiteral("DELETE FROM %1 WHERE %2.rowid IN (%3)").arg(place, quoted(t.qualifier), rows);
    }

    void compile(const CreateTableStatement& create) {
        const QString name = create.table.parts.join(QLatin1Char('.'));
        if (context_.catalog().table(name) || context_.catalog().querySql(name)) throw EngineError(err::kTableExists, name);
        CreateTableStep step{name, {}, {}, {}};
        for (const ColumnDefinition& c : create.columns) {
            for (const FieldInfo& f : step.fields)
                if (f.name.compare(c.name, Qt::CaseInsensitive) == 0) throw EngineError(err::kFieldDefinedTwice, c.name);
            step.fields.push_back(field(c, static_cast<int>(step.fields.size())));
            if (c.constraint) step.indexes.push_back(indexOf(*c.constraint, {c.name}));
        }
        for (const ConstraintDefinition& c : create.constraints) step.indexes.push_back(indexOf(c, {}));
        out_.definitions.push_back(std::move(step));
    }

    FieldInfo field(const ColumnDefinition& c, int position) {
        FieldInfo f = fieldFromDeclaration(c.name, c.type);
        f.required = c.notNull;
        f.ordinalPosition = position;
        if (c.defaultValue) f.defaultValue = printExpression(*c.defaultValue);
        return f;
    }

    void compile(const CreateIndexStatement& create) {
        IndexInfo index;
        index.name = create.name;
        for (const IndexColumn& c : create.columns) index.keys.push_back({c.name, c.descending});
        index.primary = create.primary;
        index.unique = create.unique || create.primary;
        index.required = create.disallowNull || create.primary;
        index.ignoreNulls = create.ignoreNull;
        out_.definitions.push_back(CreateIndexStep{create.table.parts.join(QLatin1Char('.')), index});
    }

    void compile(const DropStatement& drop) {
        const QString table = drop.table.parts.join(QLatin1Char('.'));
        if (drop.object == DropStatement::Object::Table) out_.definitions.push_back(DropTableStep{table});
        else out_.definitions.push_back(DropIndexStep{table, drop.index});
    }

    void compile(const AlterTableStatement& alter) {
        const QString table = alter.table.parts.join(QLatin1Char('.'));
        switch (alter.action) {
        case AlterTableStatement::Action::AddColumn:
            out_.definitions.push_back(AddColumnStep{table, field(*alter.column, 0)});
            if (alter.column->constraint)
                out_.definitions.push_back(CreateIndexStep{table, indexOf(*alter.column->constraint, {alter.column->name})});
            return;
        case AlterTableStatement::Action::AlterColumn:
            out_.definitions.push_back(AlterColumnStep{table, field(*alter.column, 0)});
            return;
        case AlterTableStatement::Action::DropColumn: out_.definitions.push_back(DropColumnStep{table, alter.name}); return;
        case AlterTableStatement::Action::AddConstraint:
            out_.definitions.push_back(CreateIndexStep{table, indexOf(*alter.constraint, {})});
            return;
        case AlterTableStatement::Action::DropConstraint: out_.definitions.push_back(DropIndexStep{table, alter.name}); return;
        }
    }

    void compile(const TransformStatement&) {
        throw EngineError(err::kNotSupported, QStringLiteral("Cross-tab (TRANSFORM ... PIVOT) queries are not supported yet."));
    }

    StatementContext context_;
    QueryCompiler queries_;
    ExpressionCompiler& ex_;
    Translation out_;
};

}  // namespace

Translation translateStatement(const Statement& statement, const CatalogView& catalog, LiteralMode mode) {
    return Compiler(statement, catalog, mode).run(statement.body);
}

}  // namespace veranth::engine::sql
