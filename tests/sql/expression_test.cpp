#include <gtest/gtest.h>

#include <vector>

#include "tests/sql/sql_test_support.h"

namespace veranth::engine::sql {
namespace {

using testing::shapeOf;

struct ShapeCase {
    const char16_t* text;
    const char* shape;
};

TEST(SqlExpression, FollowsTheDialectsPrecedence) {
    const std::vector<ShapeCase> cases = {
        {u"a Or b And c", "(a OR (b AND c))"},
        {u"a And b Or c", "((a AND b) OR c)"},
        {u"a Xor b Or c", "(a XOR (b OR c))"},
        {u"a Imp b Eqv c", "(a IMP (b EQV c))"},
        {u"Not a = b", "(NOT (a = b))"},
        {u"Not a And b", "((NOT a) AND b)"},
        {u"a = Not b", "(a = (NOT b))"},
        {u"a & b = c", "((a & b) = c)"},
        {u"a + b & c", "((a + b) & c)"},
        {u"Surname & ' ' & Initials", "((Surname & ' ') & Initials)"},
        {u"a - b - c", "((a - b) - c)"},
        {u"a + b Mod c", "(a + (b MOD c))"},
        {u"a Mod b \\ c", "(a MOD (b \\ c))"},
        {u"a \\ b * c", "(a \\ (b * c))"},
        {u"a * b / c", "((a * b) / c)"},
        {u"-a * b", "((-a) * b)"},
        {u"-2 ^ 2", "(-(2 ^ 2))"},
        {u"2 ^ -1", "(2 ^ (-1))"},
        {u"2 ^ 3 ^ 2", "((2 ^ 3) ^ 2)"},
        {u"N + (col - (old * 1000000))", "(N + (col - (old * 1000000)))"},
        {u"LEN(FORMAT(col)) - 2 = 6", "((LEN(FORMAT(col)) - 2) = 6)"},
        {u"x Between 1 And 5 And y", "((x BETWEEN 1 AND 5) AND y)"},
        {u"x Not Between a + 1 And b", "(x NOT BETWEEN (a + 1) AND b)"},
        {u"[Last Name] Like 'A*' Or City Not Like 'B?#'", "(([Last Name] LIKE 'A*') OR (City NOT LIKE 'B?#'))"},
        {u"p.PolicyNumber Is Null And x Is Not Null", "((p.PolicyNumber IS NULL) AND (x IS NOT NULL))"},
        {u"s.SchemeType IN (4,7)", "(s.SchemeType IN (4, 7))"},
        {u"Code Not In ('A', 'B')", "(Code NOT IN ('A', 'B'))"},
        {u"Amount>=5", "(Amount >= 5)"},
        {u"i.ImageRef => 100", "(i.ImageRef >= 100)"},
        {u"a =< 5", "(a <= 5)"},
        {u"a <> b", "(a <> b)"},
        {u"a = b = c", "((a = b) = c)"},
        {u"IIf(Sedol Is Null, 0, Val(Trim(Sedol))) = 123456", "(IIf((Sedol IS NULL), 0, Val(Trim(Sedol))) = 123456)"},
        {u"COUNT(UserName) > 1", "(COUNT(UserName) > 1)"},
        {u"Count(*)", "Count(*)"},
        {u"LEFT(FORMAT(x),2) & RIGHT(y, 3)", "(LEFT(FORMAT(x), 2) & RIGHT(y, 3))"},
        {u"Now()", "Now()"},
        {u"DateAdd(\"n\", 5, #2004-01-05 10:00#)", "DateAdd('n', 5, #2004-01-05 10:00#)"},
        {u"True Or False And Null", "(TRUE OR (FALSE AND NULL))"},
        {u"Exists (Select * From t) And Not Exists (Select 1 From u)",
         "(EXISTS (SELECT * FROM t) AND (NOT EXISTS (SELECT 1 FROM u)))"},
        {u"x = (SELECT MAX(y) FROM t)", "(x = (SELECT MAX(y) FROM t))"},
        {u"a IN (SELECT b FROM t WHERE c = 1)", "(a IN (SELECT b FROM t WHERE (c = 1)))"},
        {u"Forms!Main![Client Name]", "Forms.Main.[Client Name]"},
        {u"t.Order + [Select]", "(t.[Order] + [Select])"},
        {u"'It''s'", "'It''s'"},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(shapeOf(c.text), c.shape);
    }
}

TEST(SqlExpression, KeepsLiteralsAsWritten) {
    ExpressionPtr e = parseExpression(u"f(12000123, 5.4, 99999999999999999999, 'O''Brien', \"ABCD\", #09-12-2026#, True, Null)");
    ASSERT_EQ(e->kind, ExpressionKind::Call);
    const std::vector<ExpressionPtr>& args = e->as<Call>().arguments;
    ASSERT_EQ(args.size(), 8u);
    auto literalAt = [&](size_t i) -> const Literal& { return args[i]->as<Literal>(); };
    EXPECT_EQ(literalAt(0).literalKind, LiteralKind::Integer);
    EXPECT_EQ(literalAt(0).integer, 12000123);
    // Decimals stay text, so 5.4 can be compared exactly with a Single or a Currency.
    EXPECT_EQ(literalAt(1).literalKind, LiteralKind::Decimal);
    EXPECT_EQ(literalAt(1).text, QStringLiteral("5.4"));
    EXPECT_EQ(literalAt(2).literalKind, LiteralKind::Decimal);
    EXPECT_EQ(literalAt(2).text, QStringLiteral("99999999999999999999"));
    EXPECT_EQ(literalAt(3).literalKind, LiteralKind::String);
    EXPECT_EQ(literalAt(3).text, QStringLiteral("O'Brien"));
    EXPECT_EQ(literalAt(4).text, QStringLiteral("ABCD"));
    EXPECT_EQ(literalAt(5).literalKind, LiteralKind::Date);
    EXPECT_EQ(literalAt(5).text, QStringLiteral("09-12-2026"));
    EXPECT_EQ(literalAt(5).date.day, 9);
    EXPECT_EQ(literalAt(5).date.month, 12);
    EXPECT_EQ(literalAt(5).date.reading, DateReading::DayFirst);
    EXPECT_EQ(literalAt(6).literalKind, LiteralKind::Boolean);
    EXPECT_TRUE(literalAt(6).boolean);
    EXPECT_EQ(literalAt(7).literalKind, LiteralKind::Null);
}

TEST(SqlExpression, ReadsQualifiedAndBracketedNames) {
    ExpressionPtr e = parseExpression(u"[Order Details].[Unit Price]");
    ASSERT_EQ(e->kind, ExpressionKind::Name);
    const NameReference& name = e->as<NameReference>();
    EXPECT_EQ(name.name(), QStringLiteral("Unit Price"));
    EXPECT_EQ(name.qualifier(), QStringList{QStringLiteral("Order Details")});
    EXPECT_EQ(e->position.column, 1);
}

TEST(SqlExpression, ReadsSortStrings) {
    struct SortCase {
        const char16_t* text;
        const char* printed;
    };
    const std::vector<SortCase> cases = {
        {u"[F] desc, G", "F DESC, G"},
        {u"[Last Name]", "[Last Name]"},
        {u"[T]", "T"},
        {u"City ASC, Amount * 2 DESC", "City, Amount * 2 DESC"},
    };
    for (const SortCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(printOrderList(parseOrderList(QStringView(c.text))).toStdString(), c.printed);
    }
    const std::vector<OrderItem> items = parseOrderList(u"[F] desc, G");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].descending);
    EXPECT_FALSE(items[1].descending);
}

}  // namespace
}  // namespace veranth::engine::sql
