#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "engine/sql/query_type.h"
#include "tests/sql/sql_test_support.h"
#include "tests/sql/utility_statements.h"

namespace veranth::engine::sql {
namespace {

using testing::UtilityStatement;
using testing::utilityStatements;

// Printing a tree and parsing the text again must give the same tree: the bracketed print
// shows every nesting, so equal prints mean equal trees.
void expectPrintRoundTrip(const QString& text) {
    const Statement first = parseStatement(text);
    const QString printed = printStatement(first);
    const Statement second = parseStatement(printed);
    EXPECT_EQ(printStatement(second, {.parenthesiseAll = true}).toStdString(),
              printStatement(first, {.parenthesiseAll = true}).toStdString())
        << "printed as: " << printed.toStdString();
    EXPECT_EQ(printStatement(second).toStdString(), printed.toStdString());
}

class SqlUtilityStatement : public ::testing::TestWithParam<UtilityStatement> {};

TEST_P(SqlUtilityStatement, ParsesWithItsQueryTypeAndPrintsBack) {
    const UtilityStatement& statement = GetParam();
    SCOPED_TRACE(statement.text.toStdString());
    Statement tree;
    try {
        tree = parseStatement(statement.text);
    } catch (const SqlSyntaxError& error) {
        FAIL() << error.message().toStdString();
    }
    EXPECT_EQ(queryTypeOf(tree), statement.type);
    expectPrintRoundTrip(statement.text);
}

INSTANTIATE_TEST_SUITE_P(Utilities, SqlUtilityStatement, ::testing::ValuesIn(utilityStatements()),
                         [](const ::testing::TestParamInfo<UtilityStatement>& info) {
                             std::string name = std::to_string(info.index) + "_" + info.param.source;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

struct GrammarCase {
    const char16_t* text;
    QueryType type;
};

// User-typed SQL and stored queries: the rest of the dialect.
TEST(SqlGrammar, ParsesTheRestOfTheDialect) {
    using T = QueryType;
    const std::vector<GrammarCase> cases = {
        {u"SELECT DISTINCTROW TOP 25 PERCENT * FROM Orders ORDER BY Amount DESC", T::Select},
        {u"SELECT DISTINCT TOP 3 City FROM Customers", T::Select},
        {u"select top 3 distinct City from Customers", T::Select},
        {u"SELECT Now()", T::Select},
        {u"SELECT a FROM t WHERE x = 1;", T::Select},
        {u"SELECT [Order Details].* , o.* FROM [Order Details], Orders o", T::Select},
        {u"SELECT c.Name n, Count(*) AS [Order Count] FROM Customers AS c RIGHT OUTER JOIN Orders o ON o.CustID = c.ID "
         u"GROUP BY c.Name HAVING Count(*) > 1 AND Sum(o.Amount) > 100",
         T::Select},
        {u"SELECT * FROM a INNER JOIN (b LEFT JOIN c ON b.k = c.k) ON a.k = b.k", T::Select},
        {u"SELECT * FROM a LEFT JOIN b ON a.k = b.k LEFT JOIN c ON b.k = c.k", T::Select},
        {u"SELECT * FROM (SELECT k, Max(v) AS m FROM t GROUP BY k) AS x WHERE x.m > 3", T::Select},
        {u"SELECT * FROM Clients IN 'C:\\Corvane\\Data\\Mainqor.mdb'", T::Select},
        {u"SELECT * FROM cust IN '' [dBase IV;database=C:\\dbf]", T::Select},
        {u"SELECT * FROM [;database=C:\\x.mdb].Clients AS c WHERE c.ClientRef > 0", T::Select},
        {u"SELECT * FROM t WITH OWNERACCESS OPTION", T::Select},
        {u"SELECT a FROM t UNION SELECT b FROM u UNION ALL SELECT c FROM v ORDER BY 1", T::Union},
        {u"(SELECT a FROM t) UNION (SELECT b FROM u ORDER BY b)", T::Union},
        {u"SELECT * INTO Copy IN 'C:\\backup.mdb' FROM Clients", T::MakeTable},
        {u"INSERT INTO Archive SELECT * FROM Orders WHERE OrderDate < #01 Jan 2004#", T::Append},
        {u"INSERT INTO Archive (a, [b c]) SELECT x, y FROM Orders", T::Append},
        {u"INSERT INTO t IN 'C:\\other.mdb' VALUES (1, 'x', Null, -2.5)", T::Append},
        {u"UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET Orders.Region = Customers.Region "
         u"WHERE Customers.Region Is Not Null",
         T::Update},
        {u"UPDATE [Order Details] AS od SET od.Discount = od.Discount * 1.1", T::Update},
        {u"DELETE * FROM Orders WHERE Amount = 0", T::Delete},
        {u"DELETE Orders.* FROM Orders INNER JOIN Customers ON Orders.CustID = Customers.ID WHERE Customers.Closed",
         T::Delete},
        {u"TRANSFORM Sum(Amount) AS Total SELECT City FROM Orders GROUP BY City PIVOT Format(OrderDate, \"mmm\") IN "
         u"('Jan', 'Feb', 'Mar')",
         T::CrossTab},
        {u"PARAMETERS [Start Date] DateTime, x Text(50); SELECT * FROM T WHERE D >= [Start Date] AND N = x", T::Select},
        {u"PARAMETERS n Long; DELETE FROM t WHERE k = n", T::Delete},
        {u"CREATE TABLE Funds (FundRef COUNTER CONSTRAINT pk PRIMARY KEY, Name TEXT(50) NOT NULL, Price CURRENCY, "
         u"Notes MEMO, Launched DATETIME, Active YESNO, Units DOUBLE, Weight SINGLE, Grade BYTE, Code SHORT, "
         u"Total LONG, Photo LONGBINARY, Flag BIT, Id AUTOINCREMENT(100, 5), Ratio DECIMAL(10, 2) DEFAULT 0, "
         u"ManagerRef INTEGER REFERENCES Managers (ManagerRef), CONSTRAINT uq UNIQUE (Name, Code), "
         u"FOREIGN KEY (Code) REFERENCES Codes (Code))",
         T::DataDefinition},
        {u"CREATE UNIQUE INDEX ByName ON Funds (Name DESC, Code) WITH DISALLOW NULL", T::DataDefinition},
        {u"CREATE INDEX PrimaryKey ON Funds (FundRef) WITH PRIMARY", T::DataDefinition},
        {u"CREATE INDEX ByCode ON Funds (Code ASC) WITH IGNORE NULL", T::DataDefinition},
        {u"DROP INDEX ByName ON Funds", T::DataDefinition},
        {u"ALTER TABLE Funds ADD COLUMN Rating SHORT", T::DataDefinition},
        {u"ALTER TABLE Funds ADD Comment TEXT(100)", T::DataDefinition},
        {u"ALTER TABLE Funds ALTER COLUMN Comment MEMO", T::DataDefinition},
        {u"ALTER TABLE Funds DROP COLUMN Rating", T::DataDefinition},
        {u"ALTER TABLE Funds DROP CONSTRAINT uq", T::DataDefinition},
        {u"ALTER TABLE Funds ADD CONSTRAINT fk FOREIGN KEY (ManagerRef) REFERENCES Managers", T::DataDefinition},
        {u"ALTER TABLE Funds ADD PRIMARY KEY (FundRef)", T::DataDefinition},
    };
    for (const GrammarCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        try {
            const Statement tree = parseStatement(QStringView(c.text));
            EXPECT_EQ(queryTypeOf(tree), c.type);
            EXPECT_EQ(returnsRecords(tree), c.type == T::Select || c.type == T::Union || c.type == T::CrossTab);
        } catch (const SqlSyntaxError& error) {
            ADD_FAILURE() << error.message().toStdString();
            continue;
        }
        expectPrintRoundTrip(QString::fromUtf16(c.text));
    }
}

}  // namespace
}  // namespace veranth::engine::sql
