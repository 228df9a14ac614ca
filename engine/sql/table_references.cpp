#include "engine/sql/table_references.h"

namespace veranth::engine::sql {

namespace {

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Whether `qualifier` (t in t.* or t.column) names this table, by its alias or its own name.
bool names(const QStringList& qualifier, const TableUsage& usage) {
    if (qualifier.isEmpty()) return false;
    const QString& word = qualifier.back();
    return usage.alias.isEmpty() ? sameName(word, usage.name.table()) : sameName(word, usage.alias);
}

class Collector {
public:
    std::vector<TableUsage> take() { return std::move(usages_); }

    void query(const QueryExpression& q) {
        if (const SelectQuery* s = q.select()) {
            select(*s);
            return;
        }
        const SetOperation& operation = *q.setOperation();
        query(*operation.left);
        query(*operation.right);
        orderBy(operation.orderBy);
    }

    void insert(const InsertStatement& s) {
        add(s.target, {}, s.external, TableUse::Write);
        for (const ExpressionPtr& value : s.values) expression(value.get());
        if (s.query) query(*s.query);
    }

    // The tables an UPDATE or DELETE changes are those its SET columns or t.* targets name;
    // when they name none (unqualified columns, DELETE *), every table of the statement counts.
    void update(const UpdateStatement& s) {
        const size_t first = usages_.size();
        source(*s.table, std::nullopt);
        std::vector<QStringList> targets;
        for (const Assignment& a : s.assignments) targets.push_back(a.column.mid(0, a.column.size() - 1));
        markWritten(first, targets);
        for (const Assignment& a : s.assignments) expression(a.value.get());
        expression(s.where.get());
    }

    void remove(const DeleteStatement& s) {
        const size_t first = usages_.size();
        for (const TableSourcePtr& from : s.from) source(*from, s.fromExternal);
        markWritten(first, s.targets);
        expression(s.where.get());
    }

    void define(const TableName& table) { add(table, {}, std::nullopt, TableUse::Define); }

    // A foreign key's referenced table must already exist; it is read, not defined.
    void references(const ConstraintDefinition& constraint) {
        if (constraint.kind == ConstraintKind::ForeignKey)
            add(constraint.referencedTable, {}, std::nullopt, TableUse::Read);
    }

    void transform(const TransformStatement& s) {
        expression(s.aggregate.get());
        query(*s.select);
        expression(s.pivot.get());
    }

private:
    void add(const TableName& name, const QString& alias, const std::optional<ExternalDatabase>& external,
             TableUse use) {
        usages_.push_back(TableUsage{name, alias, external, use});
    }

    void markWritten(size_t first, const std::vector<QStringList>& targets) {
        bool anyNamed = false;
        for (size_t i = first; i < usages_.size(); ++i)
            for (const QStringList& target : targets)
                if (names(target, usages_[i])) {
                    usages_[i].use = TableUse::Write;
                    anyNamed = true;
                }
        if (anyNamed) return;
        for (size_t i = first; i < usages_.size(); ++i) usages_[i].use = TableUse::Write;
    }

    void select(const SelectQuery& s) {
        for (const SelectItem& item : s.items) expression(item.expression.get());
        if (s.into) add(s.into->table, {}, s.into->external, TableUse::Write);
        for (const TableSourcePtr& from : s.from) source(*from, s.fromExternal);
        expression(s.where.get());
        for (const ExpressionPtr& group : s.groupBy) expression(group.get());
        expression(s.having.get());
        orderBy(s.orderBy);
    }

    void orderBy(const std::vector<OrderItem>& items) {
        for (const OrderItem& item : items) expression(item.expression.get());
    }

    void source(const TableSource& s, const std::optional<ExternalDatabase>& external) {
        switch (s.kind) {
            case TableSourceKind::Table: {
                const TableReference& t = s.as<TableReference>();
                add(t.name, t.alias, external, TableUse::Read);
                return;
            }
            case TableSourceKind::Join: {
                const Join& j = s.as<Join>();
                source(*j.left, external);
                source(*j.right, external);
                expression(j.on.get());
                return;
            }
            case TableSourceKind::Derived: query(*s.as<DerivedTable>().query); return;
        }
    }

    // Only subqueries name tables inside an expression.
    void expression(const Expression* e) {
        if (!e) return;
        switch (e->kind) {
            case ExpressionKind::Literal:
            case ExpressionKind::Name: return;
            case ExpressionKind::Unary: expression(e->as<Unary>().operand.get()); return;
            case ExpressionKind::Binary:
                expression(e->as<Binary>().left.get());
                expression(e->as<Binary>().right.get());
                return;
            case ExpressionKind::Like:
                expression(e->as<Like>().operand.get());
                expression(e->as<Like>().pattern.get());
                return;
            case ExpressionKind::Between:
                expression(e->as<Between>().operand.get());
                expression(e->as<Between>().low.get());
                expression(e->as<Between>().high.get());
                return;
            case ExpressionKind::IsNull: expression(e->as<IsNull>().operand.get()); return;
            case ExpressionKind::InList:
                expression(e->as<InList>().operand.get());
                for (const ExpressionPtr& v : e->as<InList>().values) expression(v.get());
                return;
            case ExpressionKind::InSubquery:
                expression(e->as<InSubquery>().operand.get());
                query(*e->as<InSubquery>().query);
                return;
            case ExpressionKind::Exists: query(*e->as<Exists>().query); return;
            case ExpressionKind::Subquery: query(*e->as<Subquery>().query); return;
            case ExpressionKind::Call:
                for (const ExpressionPtr& a : e->as<Call>().arguments) expression(a.get());
                return;
        }
    }

    std::vector<TableUsage> usages_;
};

struct Dispatch {
    Collector& collector;
    void operator()(const QueryPtr& q) const { collector.query(*q); }
    void operator()(const InsertStatement& s) const { collector.insert(s); }
    void operator()(const UpdateStatement& s) const { collector.update(s); }
    void operator()(const DeleteStatement& s) const { collector.remove(s); }
    void operator()(const TransformStatement& s) const { collector.transform(s); }
    void operator()(const CreateTableStatement& s) const {
        collector.define(s.table);
        for (const ColumnDefinition& c : s.columns)
            if (c.constraint) collector.references(*c.constraint);
        for (const ConstraintDefinition& c : s.constraints) collector.references(c);
    }
    void operator()(const CreateIndexStatement& s) const { collector.define(s.table); }
    void operator()(const DropStatement& s) const { collector.define(s.table); }
    void operator()(const AlterTableStatement& s) const {
        collector.define(s.table);
        if (s.constraint) collector.references(*s.constraint);
        if (s.column && s.column->constraint) collector.references(*s.column->constraint);
    }
};

}  // namespace

std::vector<TableUsage> tableUsages(const Statement& statement) {
    Collector collector;
    std::visit(Dispatch{collector}, statement.body);
    return collector.take();
}

}  // namespace veranth::engine::sql
