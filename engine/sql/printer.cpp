#include "engine/sql/printer.h"

#include "engine/sql/keywords.h"

namespace veranth::engine::sql {

namespace {

// Binding strength, loosest first; an operand binding more loosely than its place needs brackets.
enum Level : int {
    kImp = 1,
    kEqv,
    kXor,
    kOr,
    kAnd,
    kNot,
    kComparison,
    kConcat,
    kAdditive,
    kMod,
    kIntDivide,
    kMultiplicative,
    kUnary,
    kPower,
    kPrimary,
};

struct OperatorInfo {
    Level level;
    const char* text;
};

OperatorInfo infoFor(BinaryOperator op) {
    switch (op) {
        case BinaryOperator::Imp: return {kImp, "IMP"};
        case BinaryOperator::Eqv: return {kEqv, "EQV"};
        case BinaryOperator::Xor: return {kXor, "XOR"};
        case BinaryOperator::Or: return {kOr, "OR"};
        case BinaryOperator::And: return {kAnd, "AND"};
        case BinaryOperator::Equal: return {kComparison, "="};
        case BinaryOperator::NotEqual: return {kComparison, "<>"};
        case BinaryOperator::Less: return {kComparison, "<"};
        case BinaryOperator::LessEqual: return {kComparison, "<="};
        case BinaryOperator::Greater: return {kComparison, ">"};
        case BinaryOperator::GreaterEqual: return {kComparison, ">="};
        case BinaryOperator::Concat: return {kConcat, "&"};
        case BinaryOperator::Add: return {kAdditive, "+"};
        case BinaryOperator::Subtract: return {kAdditive, "-"};
        case BinaryOperator::Mod: return {kMod, "MOD"};
        case BinaryOperator::IntDivide: return {kIntDivide, "\\"};
        case BinaryOperator::Multiply: return {kMultiplicative, "*"};
        case BinaryOperator::Divide: return {kMultiplicative, "/"};
        case BinaryOperator::Power: return {kPower, "^"};
    }
    return {kPrimary, "?"};
}

Level levelOf(const Expression& e) {
    switch (e.kind) {
        case ExpressionKind::Binary: return infoFor(e.as<Binary>().op).level;
        case ExpressionKind::Unary: return e.as<Unary>().op == UnaryOperator::Not ? kNot : kUnary;
        case ExpressionKind::Like:
        case ExpressionKind::Between:
        case ExpressionKind::IsNull:
        case ExpressionKind::InList:
        case ExpressionKind::InSubquery: return kComparison;
        default: return kPrimary;
    }
}

bool needsBrackets(const QString& name) {
    if (name.isEmpty()) return true;
    if (!name.front().isLetter() && name.front() != u'_') return true;
    for (QChar c : name)
        if (!c.isLetterOrNumber() && c != u'_') return true;
    return isReserved(keywordOf(name));
}

QString quoted(const QString& text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString joinNames(const QStringList& parts) {
    QStringList printed;
    for (const QString& part : parts) printed.append(printName(part));
    return printed.join(u'.');
}

class Printer {
public:
    explicit Printer(PrintOptions options) : options_(options) {}

    QString take() { return std::move(out_); }

    void statement(const Statement& s) {
        if (!s.parameters.empty()) {
            out_ += QLatin1String("PARAMETERS ");
            separated(s.parameters, [this](const ParameterDeclaration& p) {
                out_ += printName(p.name) + u' ';
                type(p.type);
            });
            out_ += QLatin1String("; ");
        }
        std::visit([this](const auto& body) { this->body(body); }, s.body);
    }

    void body(const QueryPtr& q) { query(*q); }

    void body(const InsertStatement& s) {
        out_ += QLatin1String("INSERT INTO ");
        tableName(s.target);
        external(s.external);
        if (!s.columns.isEmpty()) out_ += QLatin1String(" (") + namesList(s.columns) + u')';
        if (s.query) {
            out_ += u' ';
            query(*s.query);
            return;
        }
        out_ += QLatin1String(" VALUES (");
        expressions(s.values);
        out_ += u')';
    }

    void body(const UpdateStatement& s) {
        out_ += QLatin1String("UPDATE ");
        source(*s.table);
        out_ += QLatin1String(" SET ");
        separated(s.assignments, [this](const Assignment& a) {
            out_ += joinNames(a.column) + QLatin1String(" = ");
            expression(*a.value, kImp);
        });
        where(s.where);
    }

    void body(const DeleteStatement& s) {
        out_ += QLatin1String("DELETE ");
        separated(s.targets, [this](const QStringList& target) {
            out_ += target.isEmpty() ? QStringLiteral("*") : joinNames(target) + QLatin1String(".*");
        });
        if (!s.targets.empty()) out_ += u' ';
        out_ += QLatin1String("FROM ");
        sources(s.from);
        external(s.fromExternal);
        where(s.where);
    }

    void body(const CreateTableStatement& s) {
        out_ += QLatin1String("CREATE TABLE ");
        tableName(s.table);
        out_ += QLatin1String(" (");
        separated(s.columns, [this](const ColumnDefinition& c) { columnDefinition(c); });
        if (!s.columns.empty() && !s.constraints.empty()) out_ += QLatin1String(", ");
        separated(s.constraints, [this](const ConstraintDefinition& c) { constraint(c, true); });
        out_ += u')';
    }

    void body(const CreateIndexStatement& s) {
        out_ += s.unique ? QLatin1String("CREATE UNIQUE INDEX ") : QLatin1String("CREATE INDEX ");
        out_ += printName(s.name) + QLatin1String(" ON ");
        tableName(s.table);
        out_ += QLatin1String(" (");
        separated(s.columns, [this](const IndexColumn& c) {
            out_ += printName(c.name);
            if (c.descending) out_ += QLatin1String(" DESC");
        });
        out_ += u')';
        if (s.primary || s.disallowNull || s.ignoreNull) out_ += QLatin1String(" WITH");
        if (s.primary) out_ += QLatin1String(" PRIMARY");
        if (s.disallowNull) out_ += QLatin1String(" DISALLOW NULL");
        if (s.ignoreNull) out_ += QLatin1String(" IGNORE NULL");
    }

    void body(const DropStatement& s) {
        if (s.object == DropStatement::Object::Table) {
            out_ += QLatin1String("DROP TABLE ");
        } else {
            out_ += QLatin1String("DROP INDEX ") + printName(s.index) + QLatin1String(" ON ");
        }
        tableName(s.table);
    }

    void body(const AlterTableStatement& s) {
        out_ += QLatin1String("ALTER TABLE ");
        tableName(s.table);
        using Action = AlterTableStatement::Action;
        switch (s.action) {
            case Action::AddColumn:
                out_ += QLatin1String(" ADD COLUMN ");
                columnDefinition(*s.column);
                break;
            case Action::AlterColumn:
                out_ += QLatin1String(" ALTER COLUMN ");
                columnDefinition(*s.column);
                break;
            case Action::DropColumn: out_ += QLatin1String(" DROP COLUMN ") + printName(s.name); break;
            case Action::AddConstraint:
                out_ += QLatin1String(" ADD ");
                constraint(*s.constraint, true);
                break;
            case Action::DropConstraint: out_ += QLatin1String(" DROP CONSTRAINT ") + printName(s.name); break;
        }
    }

    void body(const TransformStatement& s) {
        out_ += QLatin1String("TRANSFORM ");
        expression(*s.aggregate, kImp);
        alias(s.aggregateAlias);
        out_ += u' ';
        query(*s.select);
        out_ += QLatin1String(" PIVOT ");
        expression(*s.pivot, kImp);
        if (!s.pivotValues.empty()) {
            out_ += QLatin1String(" IN (");
            expressions(s.pivotValues);
            out_ += u')';
        }
    }

    void query(const QueryExpression& q) {
        if (const SelectQuery* s = q.select()) {
            select(*s);
            return;
        }
        const SetOperation& operation = *q.setOperation();
        unionMember(*operation.left, false);
        out_ += operation.all ? QLatin1String(" UNION ALL ") : QLatin1String(" UNION ");
        unionMember(*operation.right, true);
        orderBy(operation.orderBy);
    }

    void expression(const Expression& e, int minLevel) {
        const int level = levelOf(e);
        const bool bracket = options_.parenthesiseAll ? level < kPrimary : level < minLevel;
        if (bracket) out_ += u'(';
        operation(e, level);
        if (bracket) out_ += u')';
    }

    void orderItems(const std::vector<OrderItem>& items) {
        separated(items, [this](const OrderItem& item) {
            expression(*item.expression, kImp);
            if (item.descending) out_ += QLatin1String(" DESC");
        });
    }

private:
    template <typename Items, typename Print>
    void separated(const Items& items, Print print) {
        bool first = true;
        for (const auto& item : items) {
            if (!first) out_ += QLatin1String(", ");
            first = false;
            print(item);
        }
    }

    void expressions(const std::vector<ExpressionPtr>& list) {
        separated(list, [this](const ExpressionPtr& e) { expression(*e, kImp); });
    }

    static QString namesList(const QStringList& names) {
        QStringList printed;
        for (const QString& name : names) printed.append(printName(name));
        return printed.join(QLatin1String(", "));
    }

    void operation(const Expression& e, int level) {
        switch (e.kind) {
            case ExpressionKind::Literal: literal(e.as<Literal>()); return;
            case ExpressionKind::Name: out_ += joinNames(e.as<NameReference>().parts); return;
            case ExpressionKind::Unary: {
                const Unary& u = e.as<Unary>();
                out_ += u.op == UnaryOperator::Not ? QLatin1String("NOT ")
                        : u.op == UnaryOperator::Negate ? QLatin1String("-") : QLatin1String("+");
                expression(*u.operand, level);
                return;
            }
            case ExpressionKind::Binary: {
                const Binary& b = e.as<Binary>();
                // Left-associative: the right operand binds tighter. ^ takes a signed operand,
                // which would capture what follows it, so that operand is bracketed unless plain.
                expression(*b.left, level);
                out_ += u' ' + QLatin1String(infoFor(b.op).text) + u' ';
                expression(*b.right, b.op == BinaryOperator::Power ? kPrimary : level + 1);
                return;
            }
            case ExpressionKind::Like: {
                const Like& l = e.as<Like>();
                expression(*l.operand, kComparison);
                out_ += l.negated ? QLatin1String(" NOT LIKE ") : QLatin1String(" LIKE ");
                expression(*l.pattern, kConcat);
                return;
            }
            case ExpressionKind::Between: {
                const Between& b = e.as<Between>();
                expression(*b.operand, kComparison);
                out_ += b.negated ? QLatin1String(" NOT BETWEEN ") : QLatin1String(" BETWEEN ");
                expression(*b.low, kConcat);
                out_ += QLatin1String(" AND ");
                expression(*b.high, kConcat);
                return;
            }
            case ExpressionKind::IsNull: {
                const IsNull& i = e.as<IsNull>();
                expression(*i.operand, kComparison);
                out_ += i.negated ? QLatin1String(" IS NOT NULL") : QLatin1String(" IS NULL");
                return;
            }
            case ExpressionKind::InList: {
                const InList& i = e.as<InList>();
                expression(*i.operand, kComparison);
                out_ += i.negated ? QLatin1String(" NOT IN (") : QLatin1String(" IN (");
                expressions(i.values);
                out_ += u')';
                return;
            }
            case ExpressionKind::InSubquery: {
                const InSubquery& i = e.as<InSubquery>();
                expression(*i.operand, kComparison);
                out_ += i.negated ? QLatin1String(" NOT IN ") : QLatin1String(" IN ");
                subquery(*i.query);
                return;
            }
            case ExpressionKind::Exists:
                out_ += QLatin1String("EXISTS ");
                subquery(*e.as<Exists>().query);
                return;
            case ExpressionKind::Subquery: subquery(*e.as<Subquery>().query); return;
            case ExpressionKind::Call: {
                const Call& c = e.as<Call>();
                out_ += c.name + u'(';
                if (c.star) out_ += u'*';
                expressions(c.arguments);
                out_ += u')';
                return;
            }
        }
    }

    void literal(const Literal& l) {
        switch (l.literalKind) {
            case LiteralKind::Integer: out_ += QString::number(l.integer); return;
            case LiteralKind::Decimal: out_ += l.text; return;
            case LiteralKind::String: out_ += quoted(l.text); return;
            case LiteralKind::Date: out_ += u'#' + l.text + u'#'; return;
            case LiteralKind::Boolean: out_ += l.boolean ? QLatin1String("TRUE") : QLatin1String("FALSE"); return;
            case LiteralKind::Null: out_ += QLatin1String("NULL"); return;
        }
    }

    void subquery(const QueryExpression& q) {
        out_ += u'(';
        query(q);
        out_ += u')';
    }

    // A member that is itself a union, or carries its own ORDER BY, keeps its brackets.
    void unionMember(const QueryExpression& q, bool right) {
        const SelectQuery* s = q.select();
        const bool bracket = s ? !s->orderBy.empty() : (right || !q.setOperation()->orderBy.empty());
        if (bracket) {
            subquery(q);
        } else {
            query(q);
        }
    }

    void select(const SelectQuery& s) {
        out_ += QLatin1String("SELECT ");
        if (s.quantifier == SelectQuantifier::Distinct) out_ += QLatin1String("DISTINCT ");
        if (s.quantifier == SelectQuantifier::DistinctRow) out_ += QLatin1String("DISTINCTROW ");
        if (s.top) out_ += QLatin1String("TOP ") + s.top->count + (s.top->percent ? QLatin1String(" PERCENT ") : QLatin1String(" "));
        separated(s.items, [this](const SelectItem& item) { selectItem(item); });
        if (s.into) {
            out_ += QLatin1String(" INTO ");
            tableName(s.into->table);
            external(s.into->external);
        }
        if (!s.from.empty()) {
            out_ += QLatin1String(" FROM ");
            sources(s.from);
            external(s.fromExternal);
        }
        where(s.where);
        if (!s.groupBy.empty()) {
            out_ += QLatin1String(" GROUP BY ");
            expressions(s.groupBy);
        }
        if (s.having) {
            out_ += QLatin1String(" HAVING ");
            expression(*s.having, kImp);
        }
        orderBy(s.orderBy);
        if (s.ownerAccess) out_ += QLatin1String(" WITH OWNERACCESS OPTION");
    }

    void selectItem(const SelectItem& item) {
        if (item.isStar()) {
            out_ += item.starQualifier.isEmpty() ? QStringLiteral("*") : joinNames(item.starQualifier) + QLatin1String(".*");
            return;
        }
        expression(*item.expression, kImp);
        alias(item.alias);
    }

    void alias(const QString& name) {
        if (!name.isEmpty()) out_ += QLatin1String(" AS ") + printName(name);
    }

    void where(const ExpressionPtr& condition) {
        if (!condition) return;
        out_ += QLatin1String(" WHERE ");
        expression(*condition, kImp);
    }

    void orderBy(const std::vector<OrderItem>& items) {
        if (items.empty()) return;
        out_ += QLatin1String(" ORDER BY ");
        orderItems(items);
    }

    void sources(const std::vector<TableSourcePtr>& list) {
        separated(list, [this](const TableSourcePtr& s) { source(*s); });
    }

    void source(const TableSource& s) {
        switch (s.kind) {
            case TableSourceKind::Table: {
                const TableReference& t = s.as<TableReference>();
                tableName(t.name);
                alias(t.alias);
                return;
            }
            case TableSourceKind::Derived: {
                const DerivedTable& d = s.as<DerivedTable>();
                subquery(*d.query);
                alias(d.alias);
                return;
            }
            case TableSourceKind::Join: {
                const Join& j = s.as<Join>();
                joinOperand(*j.left);
                out_ += j.joinKind == JoinKind::Inner  ? QLatin1String(" INNER JOIN ")
                        : j.joinKind == JoinKind::Left ? QLatin1String(" LEFT JOIN ")
                                                       : QLatin1String(" RIGHT JOIN ");
                joinOperand(*j.right);
                out_ += QLatin1String(" ON ");
                expression(*j.on, kImp);
                return;
            }
        }
    }

    // Joins inside joins are bracketed, as the dialect requires.
    void joinOperand(const TableSource& s) {
        const bool bracket = s.kind == TableSourceKind::Join;
        if (bracket) out_ += u'(';
        source(s);
        if (bracket) out_ += u')';
    }

    void tableName(const TableName& name) {
        if (name.connect) out_ += u'[' + *name.connect + QLatin1String("].");
        out_ += joinNames(name.parts);
    }

    void external(const std::optional<ExternalDatabase>& database) {
        if (!database) return;
        out_ += QLatin1String(" IN ") + quoted(database->database);
        if (database->connect) out_ += u' ' + quoted(*database->connect);
    }

    void type(const TypeDeclaration& declared) {
        out_ += declared.spelling.isEmpty() ? columnTypeName(declared.type) : declared.spelling;
        if (declared.arguments.isEmpty()) return;
        QStringList numbers;
        for (int n : declared.arguments) numbers.append(QString::number(n));
        out_ += u'(' + numbers.join(QLatin1String(", ")) + u')';
    }

    void columnDefinition(const ColumnDefinition& c) {
        out_ += printName(c.name) + u' ';
        type(c.type);
        if (c.notNull) out_ += QLatin1String(" NOT NULL");
        if (c.defaultValue) {
            out_ += QLatin1String(" DEFAULT ");
            expression(*c.defaultValue, kImp);
        }
        if (c.constraint) {
            out_ += u' ';
            constraint(*c.constraint, false);
        }
    }

    void constraint(const ConstraintDefinition& c, bool tableLevel) {
        if (!c.name.isEmpty()) out_ += QLatin1String("CONSTRAINT ") + printName(c.name) + u' ';
        switch (c.kind) {
            case ConstraintKind::PrimaryKey: out_ += QLatin1String("PRIMARY KEY"); break;
            case ConstraintKind::Unique: out_ += QLatin1String("UNIQUE"); break;
            case ConstraintKind::ForeignKey:
                if (tableLevel) out_ += QLatin1String("FOREIGN KEY");
                break;
        }
        if (tableLevel) out_ += QLatin1String(" (") + namesList(c.columns) + u')';
        if (c.kind != ConstraintKind::ForeignKey) return;
        out_ += tableLevel ? QLatin1String(" REFERENCES ") : QLatin1String("REFERENCES ");
        tableName(c.referencedTable);
        if (!c.referencedColumns.isEmpty()) out_ += QLatin1String(" (") + namesList(c.referencedColumns) + u')';
    }

    PrintOptions options_;
    QString out_;
};

}  // namespace

QString printName(const QString& name) { return needsBrackets(name) ? u'[' + name + u']' : name; }

QString printStatement(const Statement& statement, PrintOptions options) {
    Printer printer(options);
    printer.statement(statement);
    return printer.take();
}

QString printQuery(const QueryExpression& query, PrintOptions options) {
    Printer printer(options);
    printer.query(query);
    return printer.take();
}

QString printExpression(const Expression& expression, PrintOptions options) {
    Printer printer(options);
    printer.expression(expression, kImp);
    return printer.take();
}

QString printOrderList(const std::vector<OrderItem>& items, PrintOptions options) {
    Printer printer(options);
    printer.orderItems(items);
    return printer.take();
}

}  // namespace veranth::engine::sql
