#include "repairs/maintenance_utilities.h"

#include "engine/errors.h"
#include "tests/repairs/repair_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace veranth::repairs {
namespace {

using testing::RepairFixture;

TEST(UpdateCounters, AddsFiftyCountersAfterTheHighestBelow200) {
    RepairFixture f(true);
    const UtilityResult result = UpdateCountersV30(f.session);
    EXPECT_EQ(result.status, UtilityResult::Status::Done) << result.description.toStdString();
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Veranth] Counter Update completed")});
    EXPECT_EQ(f.prompter.Records().front().icon, platform::MessageIcon::Critical);
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM NewCounters WHERE CounterRef > 38400")), QStringLiteral("12800"));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT MAX(CounterRef) FROM NewCounters")), QStringLiteral("51200"));
    EXPECT_EQ(f.Column(QStringLiteral("SELECT CounterRef & ' ' & CounterID & ' ' & CounterValue FROM NewCounters "
                                      "WHERE CounterID IN (151, 200) ORDER BY CounterID")),
              (QStringList{QStringLiteral("38401 151 0"), QStringLiteral("50945 200 0")}));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM NewCounters WHERE CounterRef > 38401 AND CounterRef <= 38656 "
                                      "AND CounterID IS NULL AND CounterValue IS NULL")),
              QStringLiteral("255"));
    EXPECT_TRUE(f.windows.mainWindowEnabled);
}

TEST(UpdateCounters, NothingToAddAtOrAbove200AndAnEmptyTableFails) {
    {
        RepairFixture f;
        f.Sql(QStringLiteral("INSERT INTO NewCounters (CounterRef, CounterID, CounterValue) VALUES (50945, 200, 3)"));
        const testing::DatabaseContents before = testing::ContentsOf(f.Main());
        EXPECT_EQ(UpdateCountersV30(f.session).status, UtilityResult::Status::Done);
        EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Veranth] Counter Update completed")});
        EXPECT_EQ(testing::ContentsOf(f.Main()), before);
    }
    RepairFixture f;
    EXPECT_TRUE(UpdateCountersV30(f.session).failed());
    EXPECT_EQ(f.Messages(), (QStringList{QStringLiteral("[Add New Counters] No counters were found in the NewCounters table,\r\n"
                                                        "Please contact Varnholt for further assistance"),
                                         QStringLiteral("[Veranth] Counter Update failed")}));
}

TEST(UpdateCounters, AFailureInTheMiddleAddsNothing) {
    RepairFixture f(true);
    const testing::DatabaseContents before = testing::ContentsOf(f.Main());
    f.FailAtYield(20);
    EXPECT_EQ(UpdateCountersV30(f.session).number, engine::err::kLocked);
    EXPECT_EQ(testing::ContentsOf(f.Main()), before);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Veranth] Counter Update failed")});
}

TEST(CleanDBTables, RetiredTablesLeaveTheCatalogueAndOnlyVersion54OfCapitalEventEntries) {
    RepairFixture f(true);
    const UtilityResult result = CleanDBTables(f.session);
    EXPECT_EQ(result.status, UtilityResult::Status::Done) << result.description.toStdString();
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Veranth] Completed DB Table Clean")});
    for (const char* catalogue : {"DBTables", "DBJoins", "DBInitialData", "DBIndexes"}) {
        EXPECT_EQ(f.Column(QStringLiteral("SELECT TableName & ' ' & DBVersion FROM %1 WHERE TableName IN ('FirstPage', "
                                          "'CapitalEventEntries') ORDER BY TableName, DBVersion").arg(QLatin1String(catalogue))),
                  (QStringList{QStringLiteral("CapitalEventEntries 5.3"), QStringLiteral("CapitalEventEntries 6")}))
            << catalogue;
        EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE TableName = 'Clients'").arg(QLatin1String(catalogue))),
                  QStringLiteral("3"));
    }
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM DBColumns WHERE ColumnTableName IN ('FirstPage', 'CapitalEventEntries')")),
              QStringLiteral("2"));
    const QStringList tables = f.Main().tableNames(false);
    for (const char* dropped : {"FirstPage", "DEV_testing", "SUP_DiaryExtension"}) EXPECT_FALSE(tables.contains(QLatin1String(dropped)));
    EXPECT_TRUE(tables.contains(QStringLiteral("CapitalEventEntries")));

    // Again, with the tables gone: the failed drops are no failure.
    f.prompter.ClearRecords();
    EXPECT_EQ(CleanDBTables(f.session).status, UtilityResult::Status::Done);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Veranth] Completed DB Table Clean")});
}

TEST(CleanDBTables, AFailedTableIsRolledBackAndTheCleanGoesOn) {
    RepairFixture f(true);
    f.Sql(QStringLiteral("DROP TABLE DBIndexes"));
    const testing::DatabaseContents before = testing::ContentsOf(f.Main());
    EXPECT_EQ(CleanDBTables(f.session).number, engine::err::kInputTableNotFound);
    EXPECT_EQ(testing::ContentsOf(f.Main()), before);
    const QStringList messages = f.Messages();
    ASSERT_EQ(messages.size(), 13);
    EXPECT_EQ(messages.front(), QStringLiteral("[Veranth] Error 3078 occurred. Database transaction has been rolled back."));
    EXPECT_EQ(messages.back(), QStringLiteral("[Veranth] Completed DB Table Clean"));
    EXPECT_EQ(f.session.workspace->transactionLevel(), 0);
}

TEST(CleanDBTables, ANameWithAnApostropheIsQuoted) {
    RepairFixture f;
    f.Sql(QStringLiteral("INSERT INTO DBTables (TableName, DBVersion) VALUES ('O''Brien''s List', 5.4)"));
    f.Sql(QStringLiteral("INSERT INTO DBTables (TableName, DBVersion) VALUES ('O', 5.4)"));
    EXPECT_EQ(CleanDBTable(f.session, QStringLiteral("O'Brien's List"), 0, true).status, UtilityResult::Status::Done);
    EXPECT_EQ(f.Column(QStringLiteral("SELECT TableName FROM DBTables")), QStringList{QStringLiteral("O")});
    EXPECT_TRUE(f.Messages().isEmpty());
}

struct ClearCase {
    const char* name;
    const char* answer;
    std::int64_t localUserRef;
    const char* question;
    const char* usersLoggedOnAfter;  // LoggedOn of user 12000101
    const char* localLoggedOnAfter;
};

TEST(ClearConnection, ClearsTheWorkstationUsersMarksAfterTheQuestion) {
    const ClearCase cases[] = {
        {"yes", "yes", 12000101, "[Veranth] Are you sure you wish to clear connection for Smith", "False", "False"},
        {"no", "no", 12000101, "[Veranth] Are you sure you wish to clear connection for Smith", "True", "True"},
        {"unknown user", "yes", 99, "[Veranth] Are you sure you wish to clear connection for ", "True", "False"},
    };
    for (const ClearCase& c : cases) {
        RepairFixture f(true);
        f.Sql(QStringLiteral("UPDATE Users SET LoggedOn = True WHERE UserRef = 12000101"));
        auto local = f.Open(f.paths.local);
        local->execute(QStringLiteral("UPDATE LocalUser SET UserRef = %1").arg(c.localUserRef));
        f.Answer(c.answer);
        ClearConnection(f.session);
        EXPECT_EQ(f.Messages(), QStringList{QString::fromLatin1(c.question)}) << c.name;
        EXPECT_EQ(f.Scalar(QStringLiteral("SELECT LoggedOn FROM Users WHERE UserRef = 12000101")), QLatin1String(c.usersLoggedOnAfter)) << c.name;
        EXPECT_EQ(f.Column(QStringLiteral("SELECT LoggedOn FROM LocalUser"), local.get()), QStringList{QLatin1String(c.localLoggedOnAfter)})
            << c.name;
        EXPECT_TRUE(f.session.menus.Enabled(QStringLiteral("mnu_DU_ClearConn")));
    }
}

TEST(ClearConnection, AMissingLocalDatabaseSaysItCannotClear) {
    RepairFixture f(true);
    ASSERT_TRUE(QFile::remove(f.paths.local));
    EXPECT_TRUE(ClearConnection(f.session).failed());
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("[Clear Connection] Unable to clear the database connection.")});
    EXPECT_EQ(f.prompter.Records().front().icon, platform::MessageIcon::Exclamation);
}

}  // namespace
}  // namespace veranth::repairs
