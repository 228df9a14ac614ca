#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/sql/engine_error.h"
#include "engine/sql/parser.h"

namespace veranth::engine::sql {
namespace {

struct BadStatement {
    const char16_t* text;
    SyntaxArea area;
    const char* message;
};

SqlSyntaxError errorOf(const std::function<void()>& parse) {
    try {
        parse();
    } catch (const SqlSyntaxError& error) {
        return error;
    }
    ADD_FAILURE() << "parsed without an error";
    return SqlSyntaxError(SyntaxArea::Statement, QString(), {});
}

TEST(SqlSyntaxError, NamesWhatItMetAndWhere) {
    using A = SyntaxArea;
    const std::vector<BadStatement> cases = {
        {u"SELECT * FROM WHERE x = 1", A::From,
         "Syntax error in FROM clause: expected a table name but found 'WHERE' at line 1, column 15"},
        {u"SELEC * FROM t", A::Statement,
         "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE': expected SELECT, "
         "INSERT, UPDATE, DELETE, TRANSFORM, CREATE, DROP or ALTER but found 'SELEC' at line 1, column 1"},
        {u"", A::Statement,
         "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE': expected SELECT, "
         "INSERT, UPDATE, DELETE, TRANSFORM, CREATE, DROP or ALTER but found the end of the statement at line 1, column 1"},
        {u"SELECT a, FROM t", A::Expression,
         "Syntax error in query expression: expected an expression but found 'FROM' at line 1, column 11"},
        {u"SELECT a FROM t WHERE (a = 1", A::Expression,
         "Syntax error in query expression: expected ')' but found the end of the statement at line 1, column 29"},
        {u"SELECT a FROM t WHERE a = 1 b", A::Expression,
         "Syntax error in query expression: expected the end of the statement but found 'b' at line 1, column 29"},
        {u"SELECT a FROM t WHERE n = 'abc", A::Expression,
         "Syntax error in query expression: missing closing ' of the string at line 1, column 27"},
        {u"SELECT a FROM t WHERE d < #31-02-2024#", A::Expression,
         "Syntax error in query expression: '#31-02-2024#' is not a valid date at line 1, column 27"},
        {u"SELECT a FROM t WHERE x Between 1 Or 2", A::Expression,
         "Syntax error in query expression: expected AND but found 'Or' at line 1, column 35"},
        {u"SELECT a FROM t WHERE x Is 5", A::Expression,
         "Syntax error in query expression: expected NULL but found '5' at line 1, column 28"},
        {u"SELECT * FROM [t WHERE a = 1", A::From,
         "Syntax error in FROM clause: missing closing ']' of the name at line 1, column 15"},
        {u"DELETE FROM t g1 g2", A::From,
         "Syntax error in FROM clause: expected the end of the statement but found 'g2' at line 1, column 18"},
        {u"SELECT * FROM a LEFT b ON a.x = b.x", A::Join,
         "Syntax error in JOIN operation: expected JOIN but found 'b' at line 1, column 22"},
        {u"SELECT * FROM a INNER JOIN b", A::Join,
         "Syntax error in JOIN operation: expected ON but found the end of the statement at line 1, column 29"},
        {u"SELECT * FROM t ORDER BY", A::OrderBy,
         "Syntax error in ORDER BY clause: expected an expression but found the end of the statement at line 1, column 25"},
        {u"SELECT * FROM t ORDER a", A::Select,
         "The SELECT statement includes a reserved word or an argument name that is misspelled or missing, or the "
         "punctuation is incorrect: expected BY but found 'a' at line 1, column 23"},
        {u"SELECT TOP 1.5 a FROM t", A::Select,
         "The SELECT statement includes a reserved word or an argument name that is misspelled or missing, or the "
         "punctuation is incorrect: TOP needs a whole number of rows, not '1.5' at line 1, column 12"},
        {u"SELECT a INTO x FROM t UNION SELECT b FROM u", A::Select,
         "The SELECT statement includes a reserved word or an argument name that is misspelled or missing, or the "
         "punctuation is incorrect: a union cannot make a table with INTO at line 1, column 24"},
        {u"SELECT * FROM t; DROP TABLE t", A::TrailingText,
         "Characters found after end of SQL statement: expected the end of the statement but found 'DROP' at line 1, "
         "column 18"},
        {u"INSERT INTO t (a, b) VALUES (1)", A::InsertInto,
         "Syntax error in INSERT INTO statement: 2 columns are named but 1 values are given at line 1, column 31"},
        {u"INSERT INTO t (a VALUES (1)", A::InsertInto,
         "Syntax error in INSERT INTO statement: expected ')' but found 'VALUES' at line 1, column 18"},
        {u"INSERT t VALUES (1)", A::InsertInto,
         "Syntax error in INSERT INTO statement: expected INTO but found 't' at line 1, column 8"},
        {u"INSERT INTO t (a) 1", A::InsertInto,
         "Syntax error in INSERT INTO statement: expected VALUES or SELECT but found '1' at line 1, column 19"},
        {u"UPDATE t a = 1", A::Update,
         "Syntax error in UPDATE statement: expected SET but found '=' at line 1, column 12"},
        {u"UPDATE t SET = 1", A::Update,
         "Syntax error in UPDATE statement: expected a column name but found '=' at line 1, column 14"},
        {u"UPDATE t SET a 1", A::Update,
         "Syntax error in UPDATE statement: expected '=' but found '1' at line 1, column 16"},
        {u"DELETE Users WHERE UserRef = 1", A::Delete,
         "Syntax error in DELETE statement: expected FROM but found 'Users' at line 1, column 8"},
        {u"CREATE TABLE t a TEXT", A::CreateTable,
         "Syntax error in CREATE TABLE statement: expected '(' before the column definitions but found 'a' at line 1, "
         "column 16"},
        {u"CREATE TABLE t (a VARCHARX(10))", A::FieldDefinition,
         "Syntax error in field definition: expected a data type but found 'VARCHARX' at line 1, column 19"},
        {u"CREATE TABLE t (a TEXT(x))", A::FieldDefinition,
         "Syntax error in field definition: expected a whole number but found 'x' at line 1, column 24"},
        {u"CREATE VIEW v", A::Statement,
         "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE': expected TABLE or "
         "INDEX after CREATE but found 'VIEW' at line 1, column 8"},
        {u"CREATE INDEX i ON t (a) WITH NOTHING", A::CreateIndex,
         "Syntax error in CREATE INDEX statement: expected PRIMARY, DISALLOW NULL or IGNORE NULL but found 'NOTHING' at "
         "line 1, column 30"},
        {u"ALTER TABLE t ADD CONSTRAINT pk PRIMARY (a)", A::Constraint,
         "Syntax error in CONSTRAINT clause: expected KEY but found '(' at line 1, column 41"},
        {u"ALTER TABLE t RENAME a", A::AlterTable,
         "Syntax error in ALTER TABLE statement: expected ADD, ALTER or DROP but found 'RENAME' at line 1, column 15"},
        {u"DROP VIEW v", A::Drop,
         "Syntax error in DROP TABLE or DROP INDEX: expected TABLE or INDEX but found 'VIEW' at line 1, column 6"},
        {u"DROP INDEX i", A::Drop,
         "Syntax error in DROP TABLE or DROP INDEX: expected ON but found the end of the statement at line 1, column 13"},
        {u"PARAMETERS x; SELECT x", A::Parameters,
         "Syntax error in PARAMETERS declaration: expected a data type but found ';' at line 1, column 13"},
        {u"TRANSFORM Sum(a) SELECT b FROM t GROUP BY b", A::Transform,
         "Syntax error in TRANSFORM statement: expected PIVOT but found the end of the statement at line 1, column 44"},
        // Positions count lines and columns across CR LF.
        {u"SELECT *\r\nFROM t\r\nWHERE a = = 1", A::Expression,
         "Syntax error in query expression: expected an expression but found '=' at line 3, column 11"},
    };
    for (const BadStatement& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        const SqlSyntaxError error = errorOf([&] { parseStatement(QStringView(c.text)); });
        EXPECT_EQ(error.area(), c.area);
        EXPECT_EQ(error.message().toStdString(), c.message);
        EXPECT_STREQ(error.what(), c.message);
    }
}

TEST(SqlSyntaxError, CarriesTheEngineErrorNumberOfItsArea) {
    struct NumberCase {
        const char16_t* text;
        int number;
    };
    const std::vector<NumberCase> cases = {
        {u"SELECT a FROM t WHERE a = ", 3075},
        {u"SELECT * FROM WHERE", 3131},
        {u"UPDATE t SET WHERE", 3144},
        {u"INSERT INTO t (a VALUES (1)", 3134},
        {u"FETCH NEXT", 3129},
        {u"SELECT 1; SELECT 2", 3142},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(errorOf([&] { parseStatement(QStringView(c.text)); }).errorNumber(), c.number);
    }
}

TEST(SqlSyntaxError, ReportsBadCriteriaAndSortStrings) {
    const SqlSyntaxError criteria = errorOf([] { parseExpression(u"Amount >"); });
    EXPECT_EQ(criteria.area(), SyntaxArea::Expression);
    EXPECT_EQ(criteria.message().toStdString(),
              "Syntax error in query expression: expected an expression but found the end of the statement at line 1, "
              "column 9");
    const SqlSyntaxError extra = errorOf([] { parseExpression(u"City = 'Leeds' Paris"); });
    EXPECT_EQ(extra.detail().toStdString(), "expected the end of the expression but found 'Paris'");
    const SqlSyntaxError sort = errorOf([] { parseOrderList(u"[F] descending"); });
    EXPECT_EQ(sort.area(), SyntaxArea::OrderBy);
    EXPECT_EQ(sort.detail().toStdString(), "expected the end of the sort order but found 'descending'");
    EXPECT_EQ(sort.position().column, 5);
}

// A user can type any text into the SQL window; nesting deep enough to exhaust the stack must
// come back as a syntax error, while any realistic depth still parses.
TEST(SqlSyntaxError, RefusesNestingDeepEnoughToExhaustTheStack) {
    const int deep = 20000;  // without the bound, this many levels overflow the stack
    const std::vector<QString> statements = {
        QStringLiteral("SELECT ") + QString(deep, u'(') + QStringLiteral("1") + QString(deep, u')'),
        QStringLiteral("SELECT ") + QString(deep, u'-') + QStringLiteral("1"),
        QStringLiteral("SELECT * FROM t WHERE ") + QStringLiteral("NOT ").repeated(deep) + QStringLiteral("a"),
        QStringLiteral("SELECT 2 ^ ") + QString(deep, u'-') + QStringLiteral("1"),
        QStringLiteral("SELECT * FROM ") + QString(deep, u'(') + QStringLiteral("t") + QString(deep, u')'),
        QStringLiteral("SELECT * FROM t WHERE a IN ") + QStringLiteral("(SELECT a FROM t WHERE a IN ").repeated(deep / 30),
    };
    for (const QString& statement : statements) {
        SCOPED_TRACE(statement.left(40).toStdString());
        const SqlSyntaxError error = errorOf([&] { parseStatement(statement); });
        EXPECT_EQ(error.detail().toStdString(), "the statement nests more than 200 levels deep");
    }
    const QString nested = QStringLiteral("SELECT * FROM t WHERE ") + QString(60, u'(') + QStringLiteral("a = 1") + QString(60, u')');
    EXPECT_NO_THROW(parseStatement(nested));
}

TEST(SqlSyntaxError, BecomesTheEnginesErrorWithItsNumberAndMessage) {
    const SqlSyntaxError syntax = errorOf([] { parseStatement(u"UPDATE t SET WHERE a = 1"); });
    const EngineError error = toEngineError(syntax);
    EXPECT_EQ(error.number(), 3144);
    EXPECT_EQ(error.description().toStdString(),
              "Syntax error in UPDATE statement: expected a column name but found 'WHERE' at line 1, column 14");
}

}  // namespace
}  // namespace veranth::engine::sql
