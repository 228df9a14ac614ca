#include <gtest/gtest.h>

#include "engine/sql/query_type.h"
#include "tests/sql/sql_test_support.h"

namespace veranth::engine::sql {
namespace {

using testing::shapeOfStatement;

const SelectQuery& selectOf(const Statement& statement) {
    const QueryPtr& query = std::get<QueryPtr>(statement.body);
    return std::get<SelectQuery>(query->body);
}

TEST(SqlStatementTree, NestsParenthesisedJoinsAsWritten) {
    const Statement tree = parseStatement(
        u"SELECT i.ImageRef FROM (((Images AS i LEFT JOIN DiaryEntries AS de ON i.DiaryRef = de.DiaryRef) "
        u"LEFT JOIN ClientGroupEntries cge ON de.ClientRef = cge.ClientRef) "
        u"LEFT JOIN ((Policies p LEFT JOIN Schemes s ON p.SchemeRef = s.SchemeRef) "
        u"LEFT JOIN Managers m ON m.ManagerRef = s.ManagerRef) ON p.PolicyRef = de.PolicyRef) "
        u"WHERE i.ImageRef => 100");
    const SelectQuery& select = selectOf(tree);
    ASSERT_EQ(select.from.size(), 1u);
    // The outermost join's right side is itself a join, kept bracketed when printed back.
    EXPECT_EQ(printStatement(tree).toStdString(),
              "SELECT i.ImageRef FROM ((Images AS i LEFT JOIN DiaryEntries AS de ON i.DiaryRef = de.DiaryRef) "
              "LEFT JOIN ClientGroupEntries AS cge ON de.ClientRef = cge.ClientRef) "
              "LEFT JOIN ((Policies AS p LEFT JOIN Schemes AS s ON p.SchemeRef = s.SchemeRef) "
              "LEFT JOIN Managers AS m ON m.ManagerRef = s.ManagerRef) ON p.PolicyRef = de.PolicyRef "
              "WHERE i.ImageRef >= 100");
    const Join& outer = select.from[0]->as<Join>();
    EXPECT_EQ(outer.joinKind, JoinKind::Left);
    ASSERT_EQ(outer.right->kind, TableSourceKind::Join);
    const Join& inner = outer.right->as<Join>();
    ASSERT_EQ(inner.left->kind, TableSourceKind::Join);
    EXPECT_EQ(inner.right->as<TableReference>().alias, QStringLiteral("m"));
    EXPECT_EQ(inner.left->as<Join>().left->as<TableReference>().name.table(), QStringLiteral("Policies"));
}

TEST(SqlStatementTree, KeepsTheExternalSourceOfAMakeTableQuery) {
    const Statement tree = parseStatement(
        u"SELECT Surname & ' ' & Initials AS ClientName, SUM(Amount) As TrueBalance, "
        u"IIF(CurrentBalance = SUM(Amount), -1, 0) As FixedAccount INTO Temp_Accounts "
        u"FROM CashEntries, Accounts, Clients IN '' 'ODBC;DSN=Main;UID=qor;PWD=x' WHERE Accounts.FKeyType = 1 "
        u"GROUP BY Surname, Initials");
    const SelectQuery& select = selectOf(tree);
    ASSERT_TRUE(select.into.has_value());
    EXPECT_EQ(select.into->table.parts, QStringList{QStringLiteral("Temp_Accounts")});
    EXPECT_FALSE(select.into->table.connect.has_value());
    EXPECT_FALSE(select.into->external.has_value());  // the new table stays in the executing database
    EXPECT_EQ(select.from.size(), 3u);
    ASSERT_TRUE(select.fromExternal.has_value());
    EXPECT_EQ(select.fromExternal->database, QString());
    EXPECT_EQ(select.fromExternal->connect, QStringLiteral("ODBC;DSN=Main;UID=qor;PWD=x"));
    ASSERT_EQ(select.items.size(), 3u);
    EXPECT_EQ(select.items[0].alias, QStringLiteral("ClientName"));
    EXPECT_EQ(select.items[2].alias, QStringLiteral("FixedAccount"));
    EXPECT_EQ(select.groupBy.size(), 2u);
    EXPECT_EQ(queryTypeOf(tree), QueryType::MakeTable);
    EXPECT_FALSE(returnsRecords(tree));
}

TEST(SqlStatementTree, SplitsConnectPrefixesFromTableNames) {
    struct PrefixCase {
        const char16_t* text;
        std::optional<QString> intoConnect;
        QStringList intoParts;
        std::optional<QString> fromConnect;
        QStringList fromParts;
    };
    const std::vector<PrefixCase> cases = {
        {u"select * into [;database=C:\\x.mdb].Clients from Customers", QStringLiteral(";database=C:\\x.mdb"),
         {QStringLiteral("Clients")}, std::nullopt, {QStringLiteral("Customers")}},
        {u"select * into [dBase IV;database=C:\\out].cust from Customers", QStringLiteral("dBase IV;database=C:\\out"),
         {QStringLiteral("cust")}, std::nullopt, {QStringLiteral("Customers")}},
        {u"select * into Funds from [ODBC;DSN=x;UID=a;PWD=b].dbo.Funds", std::nullopt, {QStringLiteral("Funds")},
         QStringLiteral("ODBC;DSN=x;UID=a;PWD=b"), {QStringLiteral("dbo"), QStringLiteral("Funds")}},
        {u"select * into [My Table] from [Order Details]", std::nullopt, {QStringLiteral("My Table")}, std::nullopt,
         {QStringLiteral("Order Details")}},
    };
    for (const PrefixCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        const Statement tree = parseStatement(QStringView(c.text));
        const SelectQuery& select = selectOf(tree);
        EXPECT_EQ(select.into->table.connect, c.intoConnect);
        EXPECT_EQ(select.into->table.parts, c.intoParts);
        const TableName& from = select.from[0]->as<TableReference>().name;
        EXPECT_EQ(from.connect, c.fromConnect);
        EXPECT_EQ(from.parts, c.fromParts);
    }
}

TEST(SqlStatementTree, ListsDeclaredParametersInOrder) {
    const Statement tree = parseStatement(
        u"PARAMETERS [Start Date] DateTime, x Text(50), [Max Amount] Currency;\r\n"
        u"SELECT * FROM T WHERE D >= [Start Date] AND N = x AND A < [Max Amount]");
    const std::vector<ParameterDeclaration>& parameters = declaredParameters(tree);
    ASSERT_EQ(parameters.size(), 3u);
    EXPECT_EQ(parameters[0].name, QStringLiteral("Start Date"));
    EXPECT_EQ(parameters[0].type.type, ColumnType::DateTime);
    EXPECT_EQ(parameters[1].name, QStringLiteral("x"));
    EXPECT_EQ(parameters[1].type.type, ColumnType::Text);
    EXPECT_EQ(parameters[1].type.size(), 50);
    EXPECT_EQ(parameters[2].type.type, ColumnType::Currency);
    EXPECT_EQ(queryTypeOf(tree), QueryType::Select);
}

TEST(SqlStatementTree, MapsEveryDataTypeName) {
    struct TypeCase {
        const char16_t* name;
        ColumnType type;
    };
    using C = ColumnType;
    const std::vector<TypeCase> cases = {
        {u"TEXT", C::Text},         {u"VARCHAR", C::Text},       {u"CHAR", C::Text},         {u"MEMO", C::Memo},
        {u"LONGTEXT", C::Memo},     {u"BYTE", C::Byte},          {u"SHORT", C::Integer},     {u"SMALLINT", C::Integer},
        {u"INTEGER", C::Long},      {u"LONG", C::Long},          {u"INT", C::Long},          {u"SINGLE", C::Single},
        {u"REAL", C::Single},       {u"DOUBLE", C::Double},      {u"FLOAT", C::Double},      {u"CURRENCY", C::Currency},
        {u"MONEY", C::Currency},    {u"DATETIME", C::DateTime},  {u"DATE", C::DateTime},     {u"BIT", C::Boolean},
        {u"YESNO", C::Boolean},     {u"LOGICAL", C::Boolean},    {u"LONGBINARY", C::LongBinary},
        {u"OLEOBJECT", C::LongBinary}, {u"BINARY", C::Binary},   {u"COUNTER", C::Counter},   {u"AUTOINCREMENT", C::Counter},
        {u"GUID", C::Guid},         {u"DECIMAL", C::Decimal},    {u"autoincrement", C::Counter}, {u"Currency", C::Currency},
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.name).toStdString());
        const Statement tree = parseStatement(QStringLiteral("CREATE TABLE t (c %1)").arg(QString::fromUtf16(c.name)));
        const CreateTableStatement& create = std::get<CreateTableStatement>(tree.body);
        ASSERT_EQ(create.columns.size(), 1u);
        EXPECT_EQ(create.columns[0].type.type, c.type);
    }
}

TEST(SqlStatementTree, ReadsTableDefinitionsWithTheirConstraints) {
    const Statement tree = parseStatement(
        u"CREATE TABLE Funds (FundRef COUNTER CONSTRAINT pk PRIMARY KEY, Name TEXT(50) NOT NULL, "
        u"Ratio DECIMAL(10, 2) DEFAULT 0, CONSTRAINT uq UNIQUE (Name, Ratio))");
    const CreateTableStatement& create = std::get<CreateTableStatement>(tree.body);
    ASSERT_EQ(create.columns.size(), 3u);
    ASSERT_TRUE(create.columns[0].constraint.has_value());
    EXPECT_EQ(create.columns[0].constraint->name, QStringLiteral("pk"));
    EXPECT_EQ(create.columns[0].constraint->kind, ConstraintKind::PrimaryKey);
    EXPECT_TRUE(create.columns[1].notNull);
    EXPECT_EQ(create.columns[1].type.size(), 50);
    EXPECT_EQ(create.columns[2].type.arguments, (QList<int>{10, 2}));
    EXPECT_NE(create.columns[2].defaultValue, nullptr);
    ASSERT_EQ(create.constraints.size(), 1u);
    EXPECT_EQ(create.constraints[0].kind, ConstraintKind::Unique);
    EXPECT_EQ(create.constraints[0].columns, (QStringList{QStringLiteral("Name"), QStringLiteral("Ratio")}));
}

TEST(SqlStatementTree, ReadsIndexAndAlterStatements) {
    const Statement index = parseStatement(u"CREATE UNIQUE INDEX ByName ON Funds (Name DESC, Code) WITH IGNORE NULL");
    const CreateIndexStatement& create = std::get<CreateIndexStatement>(index.body);
    EXPECT_TRUE(create.unique);
    EXPECT_EQ(create.name, QStringLiteral("ByName"));
    ASSERT_EQ(create.columns.size(), 2u);
    EXPECT_TRUE(create.columns[0].descending);
    EXPECT_FALSE(create.columns[1].descending);
    EXPECT_TRUE(create.ignoreNull);
    EXPECT_FALSE(create.primary);
    EXPECT_FALSE(create.disallowNull);

    const Statement alter = parseStatement(u"ALTER TABLE Temp_Accounts ADD CONSTRAINT AccountREF PRIMARY KEY(AccountRef)");
    const AlterTableStatement& add = std::get<AlterTableStatement>(alter.body);
    EXPECT_EQ(add.action, AlterTableStatement::Action::AddConstraint);
    ASSERT_TRUE(add.constraint.has_value());
    EXPECT_EQ(add.constraint->name, QStringLiteral("AccountREF"));
    EXPECT_EQ(add.constraint->kind, ConstraintKind::PrimaryKey);
    EXPECT_EQ(add.constraint->columns, QStringList{QStringLiteral("AccountRef")});

    const Statement drop = parseStatement(u"DROP INDEX ByName ON Funds");
    const DropStatement& dropIndex = std::get<DropStatement>(drop.body);
    EXPECT_EQ(dropIndex.object, DropStatement::Object::Index);
    EXPECT_EQ(dropIndex.index, QStringLiteral("ByName"));
    EXPECT_EQ(dropIndex.table.table(), QStringLiteral("Funds"));
}

TEST(SqlStatementTree, ReadsActionStatements) {
    const Statement insert = parseStatement(
        u"INSERT INTO PeriodBalances (AccountType,AccountingPeriod,OpeningBalance,LastUpdated) VALUES (1,14,0,#16 Apr 2004#)");
    const InsertStatement& values = std::get<InsertStatement>(insert.body);
    EXPECT_EQ(values.columns.size(), 4);
    ASSERT_EQ(values.values.size(), 4u);
    EXPECT_EQ(values.values[3]->as<Literal>().date.month, 4);

    // Every assignment is kept in order, so the rotation can read the row as it was.
    const Statement update = parseStatement(
        u"UPDATE ClientExtraDetails SET Objectives1 = Objectives2, Objectives9 = Objectives1, LastUpdated = #09-12-2026#");
    const UpdateStatement& set = std::get<UpdateStatement>(update.body);
    ASSERT_EQ(set.assignments.size(), 3u);
    EXPECT_EQ(set.assignments[1].column, QStringList{QStringLiteral("Objectives9")});
    EXPECT_EQ(set.assignments[1].value->as<NameReference>().name(), QStringLiteral("Objectives1"));
    EXPECT_EQ(set.where, nullptr);

    const Statement remove = parseStatement(u"DELETE o.* FROM Orders AS o INNER JOIN Customers c ON o.CustID = c.ID");
    const DeleteStatement& del = std::get<DeleteStatement>(remove.body);
    ASSERT_EQ(del.targets.size(), 1u);
    EXPECT_EQ(del.targets[0], QStringList{QStringLiteral("o")});
    EXPECT_EQ(del.from[0]->kind, TableSourceKind::Join);
}

TEST(SqlStatementTree, ReadsUnionsAndCrossTabs) {
    EXPECT_EQ(shapeOfStatement(u"SELECT a FROM t UNION SELECT b FROM u UNION ALL SELECT c FROM v ORDER BY a"),
              "SELECT a FROM t UNION SELECT b FROM u UNION ALL SELECT c FROM v ORDER BY a");
    const Statement tree = parseStatement(u"SELECT a FROM t UNION SELECT b FROM u UNION ALL SELECT c FROM v ORDER BY a");
    const SetOperation& outer = std::get<SetOperation>(std::get<QueryPtr>(tree.body)->body);
    EXPECT_TRUE(outer.all);
    EXPECT_EQ(outer.orderBy.size(), 1u);
    EXPECT_TRUE(outer.left->isUnion());  // unions group from the left

    const Statement crossTab = parseStatement(
        u"TRANSFORM Sum(Amount) SELECT City FROM Orders GROUP BY City PIVOT Year(OrderDate) IN (2003, 2004)");
    const TransformStatement& transform = std::get<TransformStatement>(crossTab.body);
    EXPECT_EQ(transform.aggregate->as<Call>().name, QStringLiteral("Sum"));
    EXPECT_EQ(transform.pivot->as<Call>().name, QStringLiteral("Year"));
    EXPECT_EQ(transform.pivotValues.size(), 2u);
    EXPECT_EQ(queryTypeOf(crossTab), QueryType::CrossTab);
    EXPECT_TRUE(returnsRecords(crossTab));
}

TEST(SqlStatementTree, ToleratesTheQueryBuildersBlanks) {
    const Statement tree = parseStatement(
        u"Select  TOP 5  PERCENT Customers.City,Orders.Amount From Customers,Orders Where (Orders.Amount > 100 ) "
        u"And Orders.CustID=Customers.ID Order By Customers.City Desc ");
    const SelectQuery& select = selectOf(tree);
    ASSERT_TRUE(select.top.has_value());
    EXPECT_EQ(select.top->count, QStringLiteral("5"));
    EXPECT_TRUE(select.top->percent);
    ASSERT_EQ(select.orderBy.size(), 1u);
    EXPECT_TRUE(select.orderBy[0].descending);
}

}  // namespace
}  // namespace veranth::engine::sql
