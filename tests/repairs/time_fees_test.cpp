#include "repairs/time_fees.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/recordset.h"
#include "tests/repairs/repair_fixture.h"

#include <gtest/gtest.h>

namespace veranth::repairs {
namespace {

using testing::RepairFixture;

struct E {
    int ref;
    int user;
    const char* start;  // "hh:mm" on 5 Jan 2004
    const char* end;
    int charge = 600;
};

void AddCharges(RepairFixture& f) {
    // 600: 120.00 an hour in quarter hours; 601: 90.00 an hour in 6 minutes; 602: rounding 0.
    f.Sql(QStringLiteral("INSERT INTO TimeFeeCharges (TimeFeeChargeRef, HourlyCharge, Rounding) VALUES (600, 120, 15)"));
    f.Sql(QStringLiteral("INSERT INTO TimeFeeCharges (TimeFeeChargeRef, HourlyCharge, Rounding) VALUES (601, 90, 6)"));
    f.Sql(QStringLiteral("INSERT INTO TimeFeeCharges (TimeFeeChargeRef, HourlyCharge, Rounding) VALUES (602, 150, 0)"));
}

void AddEntries(RepairFixture& f, const std::vector<E>& entries) {
    std::vector<fixtures::Row> rows;
    for (const E& e : entries)
        rows.push_back({fixtures::longValue(e.ref), fixtures::longValue(e.charge), fixtures::longValue(e.user),
                        fixtures::date((std::string("05 Jan 2004 ") + e.start).c_str()),
                        fixtures::date((std::string("05 Jan 2004 ") + e.end).c_str()), fixtures::money("1")});
    fixtures::addRows(f.Main(), QStringLiteral("TimeFeeEntries"),
                      {QStringLiteral("TimeFeeRef"), QStringLiteral("TimeFeeChargeRef"), QStringLiteral("UserRef"),
                       QStringLiteral("ChargeStart"), QStringLiteral("ChargeEnd"), QStringLiteral("AmountToCharge")},
                      rows);
}

QString Clock(const engine::Value& v) {
    const engine::DateParts p = engine::splitDate(engine::toDate(v));
    return QStringLiteral("%1:%2").arg(p.hour, 2, 10, QLatin1Char('0')).arg(p.minute, 2, 10, QLatin1Char('0'));
}

// "ref hh:mm-hh:mm amount" for every entry, by reference.
QStringList Entries(RepairFixture& f) {
    auto rs = f.Main().openRecordset(
        QStringLiteral("SELECT TimeFeeRef, ChargeStart, ChargeEnd, AmountToCharge FROM TimeFeeEntries ORDER BY TimeFeeRef"),
        engine::RecordsetType::Snapshot);
    QStringList out;
    for (; !rs->eof(); rs->moveNext())
        out.append(QStringLiteral("%1 %2-%3 %4")
                       .arg(engine::toText(rs->fieldValue(0)), Clock(rs->fieldValue(1)), Clock(rs->fieldValue(2)),
                            engine::toText(rs->fieldValue(3))));
    return out;
}

TEST(TimeFees, OverlapsAreCutAndTheFollowingEntriesMoved) {
    const struct {
        const char* name;
        std::vector<E> entries;
        QStringList after;
    } cases[] = {
        {"two entries", {{1, 7, "09:00", "10:00"}, {2, 7, "09:30", "10:30"}}, {"1 09:00-09:30 1", "2 09:30-10:30 1"}},
        {"three entries",
         {{1, 7, "09:00", "10:00"}, {2, 7, "09:20", "09:40"}, {3, 7, "09:50", "10:10"}},
         {"1 09:00-09:30 1", "2 09:30-09:50 1", "3 09:50-10:10 1"}},
        // The second user's entries lie inside the first user's and are left alone by them.
        {"two users",
         {{1, 7, "09:00", "10:00"}, {2, 7, "09:30", "10:30"}, {3, 8, "09:10", "09:20"}, {4, 8, "09:40", "09:50"}},
         {"1 09:00-09:30 1", "2 09:30-10:30 1", "3 09:10-09:20 1", "4 09:40-09:50 1"}},
        // Entries of the next user in the walk start before this user's and are left alone by them.
        {"a long entry", {{1, 7, "09:00", "09:30"}, {2, 8, "08:00", "12:00"}, {3, 8, "11:00", "11:30"}},
         {"1 09:00-09:30 1", "2 08:00-11:30 1", "3 11:30-12:00 1"}},
        {"no overlap", {{1, 7, "09:00", "09:30"}, {2, 7, "09:30", "10:30"}}, {"1 09:00-09:30 1", "2 09:30-10:30 1"}},
    };
    for (const auto& c : cases) {
        RepairFixture f;
        AddCharges(f);
        AddEntries(f, c.entries);
        const UtilityResult result = ResetTimeFeeCharges(f.session, false);
        EXPECT_EQ(result.status, UtilityResult::Status::Done) << c.name << " " << result.description.toStdString();
        EXPECT_EQ(Entries(f), c.after) << c.name;
        EXPECT_TRUE(f.Messages().isEmpty()) << c.name;
    }
}

TEST(TimeFees, ChargesAreRecalculatedOnlyWhenAsked) {
    // Entry 1 keeps 43 minutes, charged as 45 at 120.00 an hour; entry 3 keeps 30 minutes at 90.00.
    const std::vector<E> entries = {{1, 7, "09:00", "10:00"}, {2, 7, "09:43", "10:30"}, {3, 8, "09:00", "10:00", 601},
                                    {4, 8, "09:30", "09:40", 601}, {5, 8, "09:40", "10:10", 601}};
    for (const bool yes : {true, false}) {
        RepairFixture f;
        AddCharges(f);
        AddEntries(f, entries);
        f.Answer(yes ? "yes" : "no");
        TimeFeeChargesCommand(f.session);
        ASSERT_EQ(f.prompter.Records().size(), 1);
        EXPECT_EQ(f.prompter.Records().front().title, QStringLiteral("Time Fee Entry Recalculation"));
        if (yes)
            EXPECT_EQ(Entries(f), (QStringList{"1 09:00-09:43 90", "2 09:43-10:30 1", "3 09:00-09:30 45", "4 09:30-09:40 1",
                                               "5 09:40-10:10 1"}));
        else
            EXPECT_EQ(Entries(f), (QStringList{"1 09:00-09:43 1", "2 09:43-10:30 1", "3 09:00-09:30 1", "4 09:30-09:40 1",
                                               "5 09:40-10:10 1"}));
    }
}

TEST(TimeFees, MinutesToChargeRoundUpToTheRounding) {
    const struct {
        int minutes, rounding, charged;
    } cases[] = {{30, 15, 30}, {31, 15, 45}, {44, 15, 45}, {1, 6, 6}, {0, 15, 0}, {7, 1, 7}, {20, -15, 30}};
    for (const auto& c : cases) EXPECT_EQ(MinutesToCharge(c.minutes, c.rounding), c.charged) << c.minutes << "/" << c.rounding;
    EXPECT_THROW(MinutesToCharge(30, 0), engine::EngineError);
    // 33.3333 a quarter hour of 133.33 an hour; halves of the last unit go to even.
    EXPECT_EQ(engine::currencyToText(ChargeForMinutes(*engine::parseCurrency(QStringLiteral("133.33")), 15)), QStringLiteral("33.3325"));
    EXPECT_EQ(engine::currencyToText(ChargeForMinutes(engine::Currency{1}, 30)), QStringLiteral("0"));
    EXPECT_EQ(engine::currencyToText(ChargeForMinutes(engine::Currency{3}, 30)), QStringLiteral("0.0002"));
}

TEST(TimeFees, RoundingZeroFailsTheWholeRunAndRollsBack) {
    RepairFixture f;
    AddCharges(f);
    AddEntries(f, {{1, 7, "09:00", "10:00"}, {2, 7, "09:30", "10:30"}, {3, 8, "09:00", "10:00", 602}, {4, 8, "09:30", "10:30", 602}});
    const testing::DatabaseContents before = testing::ContentsOf(f.Main());
    const UtilityResult result = ResetTimeFeeCharges(f.session, true);
    EXPECT_EQ(result.number, engine::err::kDivisionByZero);
    EXPECT_EQ(testing::ContentsOf(f.Main()), before);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Update Time Fee Entries] Failed to Update Records (TimeFeeRef: 3).\r\n"
                                                       "11 - Division by zero.")});
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
}

TEST(TimeFees, OneEntryOnlyNeedsNoUpdate) {
    RepairFixture f;
    AddCharges(f);
    AddEntries(f, {{1, 7, "09:00", "10:00"}});
    const testing::DatabaseContents before = testing::ContentsOf(f.Main());
    const UtilityResult result = ResetTimeFeeCharges(f.session, true);
    EXPECT_EQ(result.status, UtilityResult::Status::NothingToDo);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Veranth] No records require updating")});
    EXPECT_EQ(testing::ContentsOf(f.Main()), before);
    EXPECT_EQ(f.session.workspace->transactionLevel(), 0);
}

TEST(TimeFees, TheSampleFirmEndsWithoutOverlapsAndAFailureInTheMiddleChangesNothing) {
    {
        RepairFixture f(true);
        const testing::DatabaseContents before = testing::ContentsOf(f.Main());
        f.FailAtYield(40);
        const UtilityResult result = ResetTimeFeeCharges(f.session, true);
        EXPECT_EQ(result.number, engine::err::kLocked);
        EXPECT_EQ(testing::ContentsOf(f.Main()), before);
        ASSERT_EQ(f.Messages().size(), 1);
        EXPECT_TRUE(f.Messages().front().startsWith(QStringLiteral("[Update Time Fee Entries] Failed to Update Records (TimeFeeRef: 12700041).")))
            << f.Messages().front().toStdString();
    }
    RepairFixture f(true);
    const QString before = f.Scalar(QStringLiteral("SELECT COUNT(*) FROM TimeFeeEntries"));
    const UtilityResult result = ResetTimeFeeCharges(f.session, false);
    ASSERT_EQ(result.status, UtilityResult::Status::Done) << result.description.toStdString();
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM TimeFeeEntries")), before);
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM TimeFeeEntries AS a, TimeFeeEntries AS b WHERE a.UserRef = b.UserRef "
                                      "AND a.TimeFeeRef <> b.TimeFeeRef AND b.ChargeStart > a.ChargeStart AND b.ChargeStart < a.ChargeEnd")),
              QStringLiteral("0"));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM TimeFeeEntries WHERE ChargeEnd < ChargeStart")), QStringLiteral("0"));
}

}  // namespace
}  // namespace veranth::repairs
