#include "engine/conversions.h"
#include "engine/criteria.h"
#include "engine/errors.h"
#include "engine/like.h"

#include <gtest/gtest.h>

using namespace veranth::engine;

namespace {

Value row(const QString& name) {
    if (name.compare(QStringLiteral("Last Name"), Qt::CaseInsensitive) == 0) return Value("Abbott");
    if (name.compare(QStringLiteral("Amount"), Qt::CaseInsensitive) == 0) return Value::currency(Currency{55000});
    if (name.compare(QStringLiteral("Start"), Qt::CaseInsensitive) == 0) return Value::date(dateSerial(2004, 4, 16));
    if (name.compare(QStringLiteral("Code"), Qt::CaseInsensitive) == 0) return Value("B");
    return Value::null();
}

TEST(EngineCriteria, EvaluatesTheFormsFindAndFilterWrite) {
    struct Case {
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"[Last Name] Like 'A*'", true},
        {"[Last Name] Like 'a?b*'", true},
        {"[Last Name] = \"ABBOTT\"", true},
        {"[Last Name] <> 'Abbott'", false},
        {"Amount>=5", true},
        {"Amount=>5.5", true},
        {"Amount > 5.5", false},
        {"Amount * 2 = 11", true},
        {"Start = #16 Apr 2004#", true},
        {"Start = #16-04-2004#", true},  // dd-mm-yyyy is read day first, as in statements
        {"Start Between #01 Jan 2004# And #31 Dec 2004#", true},
        {"Code In ('A', 'b')", true},
        {"Code Not In ('A', 'C')", true},
        {"Notes Is Null", true},
        {"Notes Is Not Null", false},
        {"Notes = 'x' Or Code = 'B'", true},
        {"Notes = 'x' And Code = 'B'", false},  // Null And False is False
        {"Not (Code = 'C')", true},
        {"[Last Name] & '!' = 'abbott!'", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Criteria::parse(QString::fromUtf8(c.text)).matches(row), c.matches) << c.text;
}

TEST(EngineCriteria, RulesMayLeaveOutTheirField) {
    auto ok = [](const char* rule, const Value& v) {
        return Criteria::parseRule(QString::fromUtf8(rule), QStringLiteral("F")).matches([&](const QString&) { return v; });
    };
    EXPECT_TRUE(ok("> 0", Value::longValue(3)));
    EXPECT_FALSE(ok("> 0", Value::longValue(0)));
    EXPECT_TRUE(ok(">= 0 And < 10", Value::longValue(9)));
    EXPECT_FALSE(ok("Between 1 And 9", Value::longValue(10)));
    EXPECT_TRUE(ok("Is Not Null", Value("x")));
    EXPECT_TRUE(ok("In ('A','B')", Value("b")));
    EXPECT_FALSE(ok("Not Like 'Z*'", Value("Zed")));
}

TEST(EngineCriteria, SqlBindsEveryValueInItsFieldsStorage) {
    const auto sql = Criteria::parse(QStringLiteral("Amount >= 5 And Name = 'O''Brien; DROP TABLE x'"))
                         .toSql([](const QString& n) -> std::optional<FieldType> {
                             if (n == QLatin1String("Amount")) return FieldType::Currency;
                             if (n == QLatin1String("Name")) return FieldType::Text;
                             return std::nullopt;
                         });
    EXPECT_FALSE(sql.text.contains(QStringLiteral("Brien")));
    EXPECT_FALSE(sql.text.contains(QStringLiteral("/ 10000.0")));  // compared as stored
    ASSERT_EQ(sql.parameters.size(), 2u);
    EXPECT_EQ(sql.parameters[0].second, FieldType::Currency);
    EXPECT_EQ(sql.parameters[1].first, Value("O'Brien; DROP TABLE x"));
    EXPECT_THROW(Criteria::parse(QStringLiteral("Nope = 1")).toSql([](const QString&) { return std::nullopt; }), EngineError);
}

TEST(EngineCriteria, MalformedTextIsASyntaxError) {
    for (const char* bad : {"Amount >=", "(Code = 'A'", "Code = 'open", "Start = #32 Foo 2004#", "Code In ()"}) {
        try {
            Criteria::parse(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.number(), err::kSyntaxErrorInExpression) << bad;
        }
    }
}

TEST(EngineLike, WildcardsAndLists) {
    struct Case {
        const char* text;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"Smith", "S*", true},     {"smith", "S*H", true},   {"Smith", "?mith", true}, {"Smith", "S?th", false},
        {"A1", "A#", true},        {"AB", "A#", false},      {"Cat", "[BC]at", true},  {"Rat", "[!BC]at", true},
        {"Bat", "[!BC]at", false}, {"m", "[a-z]", true},     {"", "*", true},          {"abc", "*c*", true},
        {"Ärger", "ä*", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(likeMatch(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern)), c.matches) << c.text << " " << c.pattern;
}

}  // namespace
