#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sql/parser.h"
#include "engine/sql/table_references.h"

namespace veranth::engine::sql {
namespace {

// "R Clients AS c", "W [prefix].Funds", "D Temp_Accounts IN ''/'x'" : one line per usage.
std::vector<std::string> usagesOf(QStringView statement) {
    std::vector<std::string> lines;
    for (const TableUsage& usage : tableUsages(parseStatement(statement))) {
        QString line = usage.use == TableUse::Read ? QStringLiteral("R ") : usage.use == TableUse::Write ? QStringLiteral("W ") : QStringLiteral("D ");
        if (usage.name.connect) line += QLatin1Char('[') + *usage.name.connect + QLatin1String("].");
        line += usage.name.parts.join(u'.');
        if (!usage.alias.isEmpty()) line += QLatin1String(" AS ") + usage.alias;
        if (usage.external)
            line += QStringLiteral(" IN '%1'/'%2'").arg(usage.external->database, usage.external->connect.value_or(QString()));
        lines.push_back(line.toStdString());
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(SqlTableUsage, ListsEveryTableWithItsAliasAndSource) {
    EXPECT_EQ(usagesOf(u"SELECT * FROM ((Images AS i LEFT JOIN DiaryEntries de ON i.DiaryRef = de.DiaryRef) "
                       u"LEFT JOIN (Policies p LEFT JOIN Schemes s ON p.SchemeRef = s.SchemeRef) ON p.PolicyRef = de.PolicyRef)"),
              (Lines{"R Images AS i", "R DiaryEntries AS de", "R Policies AS p", "R Schemes AS s"}));
    // The IN clause applies to every table of the FROM, not to the new table.
    EXPECT_EQ(usagesOf(u"SELECT Owner INTO Temp_Accounts FROM CashEntries, Accounts, Clients IN '' 'C:\\Mainqor.mdb'"),
              (Lines{"W Temp_Accounts", "R CashEntries IN ''/'C:\\Mainqor.mdb'", "R Accounts IN ''/'C:\\Mainqor.mdb'",
                     "R Clients IN ''/'C:\\Mainqor.mdb'"}));
    EXPECT_EQ(usagesOf(u"select * into [dBase IV;database=C:\\out].cust from Customers"),
              (Lines{"W [dBase IV;database=C:\\out].cust", "R Customers"}));
    EXPECT_EQ(usagesOf(u"select * into Funds from [ODBC;DSN=x].dbo.Funds"), (Lines{"W Funds", "R [ODBC;DSN=x].dbo.Funds"}));
}

TEST(SqlTableUsage, FindsTablesInsideSubqueries) {
    EXPECT_EQ(usagesOf(u"UPDATE PensionPolicies SET MemberFlexibility = True WHERE PolicyRef IN (SELECT p.PolicyRef FROM "
                       u"Policies AS p INNER JOIN Schemes AS s ON s.SchemeRef = p.SchemeRef) AND EXISTS (SELECT 1 FROM Audit)"),
              (Lines{"W PensionPolicies", "R Policies AS p", "R Schemes AS s", "R Audit"}));
    EXPECT_EQ(usagesOf(u"DELETE FROM FeeOffsets WHERE FeeOffSetRef NOT IN (SELECT FeeOffSetRef FROM FeeOffSetLinks)"),
              (Lines{"W FeeOffsets", "R FeeOffSetLinks"}));
    EXPECT_EQ(usagesOf(u"SELECT (SELECT Max(x) FROM u) AS m FROM t"), (Lines{"R u", "R t"}));
    EXPECT_EQ(usagesOf(u"INSERT INTO Archive SELECT * FROM Orders"), (Lines{"W Archive", "R Orders"}));
    EXPECT_EQ(usagesOf(u"SELECT a FROM t UNION SELECT a FROM u"), (Lines{"R t", "R u"}));
}

TEST(SqlTableUsage, MarksOnlyTheTablesAJoinedActionChanges) {
    EXPECT_EQ(usagesOf(u"UPDATE Orders INNER JOIN Customers c ON Orders.CustID = c.ID SET Orders.Region = c.Region"),
              (Lines{"W Orders", "R Customers AS c"}));
    EXPECT_EQ(usagesOf(u"DELETE o.* FROM Orders o INNER JOIN Customers c ON o.CustID = c.ID"),
              (Lines{"W Orders AS o", "R Customers AS c"}));
    // Unqualified columns could belong to either table, so both count as changed.
    EXPECT_EQ(usagesOf(u"UPDATE Orders INNER JOIN Customers ON Orders.CustID = Customers.ID SET Region = 1"),
              (Lines{"W Orders", "W Customers"}));
}

TEST(SqlTableUsage, ListsTheTablesDefinitionsWorkOn) {
    EXPECT_EQ(usagesOf(u"ALTER TABLE Temp_Accounts ADD CONSTRAINT AccountREF PRIMARY KEY(AccountRef)"), (Lines{"D Temp_Accounts"}));
    EXPECT_EQ(usagesOf(u"CREATE TABLE Funds (ManagerRef LONG REFERENCES Managers, Code TEXT, "
                       u"FOREIGN KEY (Code) REFERENCES Codes (Code))"),
              (Lines{"D Funds", "R Managers", "R Codes"}));
    EXPECT_EQ(usagesOf(u"DROP INDEX ByName ON Funds"), (Lines{"D Funds"}));
}

}  // namespace
}  // namespace veranth::engine::sql
