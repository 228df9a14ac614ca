// The dialect's rules as they show in results: exact Currency, dates as day numbers, text
// compared without regard to case, Like, UPDATE reading the row as it was, and the errors.
#include <gtest/gtest.h>

#include "engine/conversions.h"
#include "engine/errors.h"
#include "tests/sql/dialect_database.h"

namespace veranth::engine::sql {
namespace {

using testing::DialectDatabase;

int errorNumberOf(DialectDatabase& db, const QString& statement) {
    try {
        db.run(statement);
    } catch (const EngineError& e) {
        return e.number();
    }
    return 0;
}

TEST(SqlSemantics, CurrencySumsExactlyAndComparesExactly) {
    DialectDatabase db;
    db.createTable(QStringLiteral("CashEntries"), QStringLiteral("AccountRef Long, Amount Currency"));
    db.createTable(QStringLiteral("Accounts"), QStringLiteral("AccountRef Long, CurrentBalance Currency"));
    std::vector<std::vector<Value>> rows(10000, {Value::longValue(1), Value::currency(Currency{1000})});
    db.insert(QStringLiteral("CashEntries"), rows);
    db.insert(QStringLiteral("Accounts"), {{Value::longValue(1), Value::currency(Currency::fromUnits(1000))}});

    EXPECT_EQ(db.scalar(QStringLiteral("SELECT SUM(Amount) FROM CashEntries")), Value::currency(Currency::fromUnits(1000)));
    const auto fixed = db.run(QStringLiteral(
        "SELECT IIF(CurrentBalance = SUM(Amount), -1, 0) As FixedAccount FROM CashEntries, Accounts "
        "WHERE Accounts.AccountRef = CashEntries.AccountRef GROUP BY CurrentBalance"));
    ASSERT_EQ(fixed.size(), 1u);
    EXPECT_EQ(fixed[0][0], Value::boolean(true));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CashEntries WHERE Amount = 0.1")), Value::longValue(10000));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT SUM(Amount) FROM CashEntries WHERE AccountRef = 2")), Value::null());
}

TEST(SqlSemantics, MakeTableInfersTypesAndRefusesAnExistingTable) {
    DialectDatabase db;
    db.createTable(QStringLiteral("CashEntries"), QStringLiteral("AccountRef Long, Amount Currency, Who Text(20)"));
    db.insert(QStringLiteral("CashEntries"), {{Value::longValue(1), Value::currency(Currency{12345}), Value("Smith")}});
    const Translation t = db.translate(QStringLiteral(
        "SELECT Who & ' ' & AccountRef AS Name, AccountRef, SUM(Amount) As Total, IIF(SUM(Amount) > 0, -1, 0) AS Positive "
        "INTO Temp FROM CashEntries GROUP BY Who, AccountRef"));
    ASSERT_EQ(t.definitions.size(), 1u);
    const auto& create = std::get<CreateTableStep>(t.definitions.front());
    ASSERT_EQ(create.fields.size(), 4u);
    EXPECT_EQ(create.fields[0].type, FieldType::Text);
    EXPECT_EQ(create.fields[1].type, FieldType::Long);
    EXPECT_EQ(create.fields[2].type, FieldType::Currency);
    EXPECT_EQ(create.fields[3].type, FieldType::Boolean);
    db.run(QStringLiteral("SELECT Who, SUM(Amount) AS Total INTO Temp FROM CashEntries GROUP BY Who"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Total FROM Temp WHERE Who = 'SMITH'")), Value::currency(Currency{12345}));
    EXPECT_EQ(errorNumberOf(db, QStringLiteral("SELECT * INTO temp FROM CashEntries")), err::kTableExists);
}

TEST(SqlSemantics, DatesCompareAndCountAsDays) {
    DialectDatabase db;
    db.createTable(QStringLiteral("Entries"), QStringLiteral("Ref Long, ChargeStart Date, ChargeEnd Date"));
    db.insert(QStringLiteral("Entries"), {{Value::longValue(1), Value::date(dateSerial(2004, 1, 5, 9, 0)), Value::date(dateSerial(2004, 1, 5, 10, 0))},
                                          {Value::longValue(2), Value::date(dateSerial(2004, 1, 5, 9, 30)), Value::date(dateSerial(2004, 1, 5, 10, 30))}});
    EXPECT_EQ(db.scalar(QStringLiteral(
                  "SELECT SUM(IIF(ChargeEnd < #2004-01-05 10:00:00#, DATEDIFF(\"n\", ChargeStart, ChargeEnd), "
                  "DATEDIFF(\"n\", ChargeStart, #2004-01-05 10:00:00#))) FROM Entries WHERE ChargeStart > #2004-01-05 09:00:00#")),
              Value::doubleValue(30));
    // A date text where a date is expected, and an IIf whose zero is the zero date.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Entries WHERE ChargeStart < '16/04/2004'")), Value::longValue(2));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT IIF(Ref = 1, 0, ChargeStart) FROM Entries WHERE Ref = 1")), Value::date(0));
    // Day-first #dd-mm-yyyy# stamps the day the program meant.
    db.run(QStringLiteral("UPDATE Entries SET ChargeEnd = #09-12-2026# WHERE Ref = 2"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT ChargeEnd FROM Entries WHERE Ref = 2")), Value::date(dateSerial(2026, 12, 9)));
    db.run(QStringLiteral("UPDATE Entries SET ChargeStart = '16/Apr/2004' WHERE Ref = 1"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT ChargeStart FROM Entries WHERE Ref = 1")), Value::date(dateSerial(2004, 4, 16)));
}

TEST(SqlSemantics, TextComparesGroupsAndMatchesWithoutRegardToCase) {
    DialectDatabase db;
    db.createTable(QStringLiteral("Users"), QStringLiteral("UserRef Long, UserName Text(50)"));
    db.insert(QStringLiteral("Users"), {{Value::longValue(1), Value("Jones")}, {Value::longValue(2), Value("JONES")},
                                        {Value::longValue(3), Value("Smith")}, {Value::longValue(4), Value("A1b")}});
    EXPECT_EQ(db.run(QStringLiteral("SELECT UserName FROM Users GROUP BY UserName HAVING COUNT(UserName) > 1")).size(), 1u);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Users WHERE UserName = 'jones'")), Value::longValue(2));
    struct LikeCase {
        const char* pattern;
        qint64 matches;
    };
    for (const LikeCase& c : {LikeCase{"j*", 2}, LikeCase{"?mith", 1}, LikeCase{"A#B", 1}, LikeCase{"[a-j]*", 3},
                              LikeCase{"[!j]*", 2}, LikeCase{"*S", 2}}) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Users WHERE UserName Like '%1'").arg(QLatin1String(c.pattern))),
                  Value::longValue(static_cast<std::int32_t>(c.matches)));
    }
}

TEST(SqlSemantics, UpdateReadsTheRowAsItWas) {
    DialectDatabase db;
    db.createTable(QStringLiteral("Objectives"), QStringLiteral("Ref Long, Objectives1 Text(10), Objectives2 Text(10)"));
    db.insert(QStringLiteral("Objectives"), {{Value::longValue(1), Value("first"), Value("second")}});
    db.run(QStringLiteral("UPDATE Objectives SET Objectives1 = Objectives2, Objectives2 = Objectives1"));
    const auto rows = db.run(QStringLiteral("SELECT Objectives1, Objectives2 FROM Objectives"));
    EXPECT_EQ(rows[0][0], Value("second"));
    EXPECT_EQ(rows[0][1], Value("first"));
}

TEST(SqlSemantics, ReferenceArithmeticComparesTextWithNumbersAndChecksTheRange) {
    DialectDatabase db;
    db.createTable(QStringLiteral("Clients"), QStringLiteral("ClientRef Long"));
    db.insert(QStringLiteral("Clients"), {{Value::longValue(12000123)}, {Value::longValue(99000123)}, {Value::longValue(120001234)}});
    db.run(QStringLiteral("UPDATE Clients SET ClientRef = 125000000 + (ClientRef - (12 * 1000000)) WHERE "
                          "LEFT(FORMAT(ClientRef),2) = 12 AND LEN(FORMAT(ClientRef)) - 2 = 6"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Clients WHERE ClientRef = 125000123")), Value::longValue(1));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Clients WHERE ClientRef = 120001234")), Value::longValue(1));
    // A database ID too large for a Long reference overflows instead of storing a wider number.
    EXPECT_EQ(errorNumberOf(db, QStringLiteral("UPDATE Clients SET ClientRef = 2148000000 + (ClientRef - (99 * 1000000))")),
              err::kOverflow);
}

TEST(SqlSemantics, SingleColumnMatchesTheDecimalItWasGiven) {
    DialectDatabase db;
    db.createTable(QStringLiteral("DBTables"), QStringLiteral("TableName Text(64), DBVersion Single"));
    db.insert(QStringLiteral("DBTables"), {{Value("CapitalEventEntries"), Value::single(5.4f)}, {Value("CapitalEventEntries"), Value::single(5.5f)}});
    db.run(QStringLiteral("DELETE FROM DBTables WHERE TableName = 'CapitalEventEntries' AND DBVersion = 5.4"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM DBTables")), Value::longValue(1));
}

TEST(SqlSemantics, NamesResolveWithoutRegardToCaseAndUnknownNamesAreReported) {
    DialectDatabase db;
    db.createTable(QStringLiteral("Policies"), QStringLiteral("PolicyRef Long, Owner Integer"));
    db.createTable(QStringLiteral("Clients"), QStringLiteral("ClientRef Long, Owner Integer"));
    EXPECT_NO_THROW(db.run(QStringLiteral("SELECT policyref, POLICIES.owner FROM policies")));
    try {
        db.translate(QStringLiteral("SELECT Owner FROM Policies, Clients"));
        ADD_FAILURE() << "an ambiguous name was accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), 3079);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Owner")));
    }
    try {
        db.translate(QStringLiteral("SELECT * FROM Polices"));
        ADD_FAILURE() << "an unknown table was accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), err::kInputTableNotFound);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Polices")));
    }
    EXPECT_EQ(errorNumberOf(db, QStringLiteral("UPDATE Policies SET Owner = 'many' WHERE PolicyRef = 1")), err::kConversionError);
}

TEST(SqlSemantics, ParametersComeInDeclarationOrderThenByFirstUse) {
    DialectDatabase db;
    db.createTable(QStringLiteral("Fees"), QStringLiteral("FeeRef Long, FeeDate Date"));
    db.insert(QStringLiteral("Fees"), {{Value::longValue(1), Value::date(dateSerial(2004, 1, 1))}, {Value::longValue(2), Value::date(dateSerial(2005, 1, 1))}});
    const QString sql = QStringLiteral("PARAMETERS [Before] DateTime, [Low] Long; SELECT FeeRef FROM Fees WHERE FeeDate < [Before] AND FeeRef >= [Low] AND FeeRef <= [High]");
    const Translation t = db.translate(sql);
    ASSERT_EQ(t.parameters.size(), 3u);
    EXPECT_EQ(t.parameters[0].name, QStringLiteral("Before"));
    EXPECT_EQ(t.parameters[0].type, FieldType::Date);
    EXPECT_EQ(t.parameters[2].name, QStringLiteral("High"));
    EXPECT_FALSE(t.parameters[2].type.has_value());
    EXPECT_TRUE(t.returnsRecords);
    const auto rows = db.run(sql, {Value("16/04/2004"), Value::longValue(1), Value::longValue(5)});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Value::longValue(1));
    // Literals are bound, never pasted into the SQLite text.
    EXPECT_FALSE(db.translate(QStringLiteral("SELECT FeeRef FROM Fees WHERE FeeRef = 12345")).sql.contains(QStringLiteral("12345")));
}

}  // namespace
}  // namespace veranth::engine::sql
