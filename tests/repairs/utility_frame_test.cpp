#include "repairs/utility_frame.h"

#include "engine/errors.h"
#include "engine/workspace.h"
#include "tests/repairs/repair_fixture.h"

#include <gtest/gtest.h>

namespace veranth::repairs {
namespace {

using testing::RepairFixture;

FrameOptions TestFix() {
    FrameOptions options;
    options.title = QStringLiteral("Test Fix");
    return options;
}

TEST(MakeReference, FitsSigned32BitOrOverflows) {
    EXPECT_EQ(MakeReference(12, 123), 12000123);
    EXPECT_EQ(MakeReference(2147, 483647), 2147483647);
    for (const auto& [id, serial] : {std::pair{2147, 483648}, std::pair{2148, 1}, std::pair{-2148, -1}}) {
        try {
            MakeReference(id, serial);
            ADD_FAILURE() << id << " " << serial;
        } catch (const engine::EngineError& e) {
            EXPECT_EQ(e.number(), engine::err::kOverflow);
        }
    }
}

TEST(UtilityFrame, CommitsTheBodyAndWritesBatchCountersBackOnce) {
    RepairFixture f;
    f.Sql(QStringLiteral("INSERT INTO NewCounters (CounterRef, CounterID, CounterValue) VALUES (11521, 46, 41)"));
    f.Sql(QStringLiteral("INSERT INTO NewCounters (CounterRef, CounterID, CounterValue) VALUES (33281, 130, 7)"));
    std::vector<std::int32_t> refs;
    const UtilityResult result = RunUtility(f.session, TestFix(), [&](UtilityRun& run) {
        for (int i = 1; i <= 3; ++i) {
            run.Progress(i, 3);
            const std::int32_t ref = MakeReference(run.BranchID(), run.Batch(counter_id::kCashEntries).Next());
            refs.push_back(ref);
            run.Execute(QStringLiteral("INSERT INTO CashEntries (CashEntryRef, AccountRef) VALUES (%1, 1)").arg(ref));
        }
        // The per-row style writes each serial back as it is handed out.
        EXPECT_EQ(run.NextSerial(counter_id::kThirdPartyReferences), 8);
        EXPECT_EQ(ReadCounter(run.Database(), counter_id::kThirdPartyReferences), 8);
        EXPECT_EQ(ReadCounter(run.Database(), counter_id::kCashEntries), 41);  // not yet: batch
    });
    EXPECT_EQ(result.status, UtilityResult::Status::Done);
    EXPECT_EQ(refs, (std::vector<std::int32_t>{12000042, 12000043, 12000044}));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT CounterValue FROM NewCounters WHERE CounterID = 46")), QStringLiteral("44"));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM CashEntries")), QStringLiteral("3"));
    EXPECT_TRUE(f.Messages().isEmpty()) << f.Messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(f.status.History().contains(QStringLiteral("Processing Record 2 of 3")));
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
    EXPECT_FALSE(f.status.Busy());
    EXPECT_EQ(f.windows.calls, (QStringList{QStringLiteral("DisableMainWindow"), QStringLiteral("EnableMainWindow")}));
    EXPECT_EQ(f.session.workspace->transactionLevel(), 0);
}

TEST(UtilityFrame, AnErrorRollsEverythingBackAndShowsTheFixedMessage) {
    RepairFixture f;
    f.Sql(QStringLiteral("INSERT INTO NewCounters (CounterRef, CounterID, CounterValue) VALUES (11521, 46, 41)"));
    const testing::DatabaseContents before = testing::ContentsOf(f.Main());
    const UtilityResult result = RunUtility(f.session, TestFix(), [&](UtilityRun& run) {
        run.Batch(counter_id::kCashEntries).Next();
        run.Execute(QStringLiteral("UPDATE SystemOptions SET BranchID = 99"));
        run.Execute(QStringLiteral("UPDATE NoSuchTable SET X = 1"));
    });
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(result.number, engine::err::kInputTableNotFound);
    EXPECT_EQ(testing::ContentsOf(f.Main()), before);
    ASSERT_EQ(f.prompter.Records().size(), 1);
    const platform::PromptRecord& shown = f.prompter.Records().front();
    EXPECT_EQ(shown.title, QStringLiteral("Test Fix"));
    EXPECT_EQ(shown.icon, platform::MessageIcon::Exclamation);
    EXPECT_TRUE(shown.text.startsWith(QStringLiteral("Failed to Update Records 3078 - "))) << shown.text.toStdString();
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
    EXPECT_TRUE(f.windows.mainWindowEnabled);
    EXPECT_EQ(f.session.workspace->transactionLevel(), 0);
}

TEST(UtilityFrame, MissingBranchOrCounterEndsTheRunWithNothingChanged) {
    const struct {
        const char* setup;
        int counter;
        const char* message;
    } cases[] = {
        {"DELETE FROM SystemOptions", 0, "[Test Fix] Branch ID could not be Found"},
        {"DELETE FROM NewCounters", counter_id::kPolicyPremiums, "[Test Fix] Counter Table could not be opened"},
    };
    for (const auto& c : cases) {
        RepairFixture f;
        f.Sql(QString::fromLatin1(c.setup));
        const testing::DatabaseContents before = testing::ContentsOf(f.Main());
        const UtilityResult result = RunUtility(f.session, TestFix(), [&](UtilityRun& run) {
            run.Execute(QStringLiteral("INSERT INTO Dustbin (DustbinRef, Description) VALUES (1, 'x')"));
            if (c.counter) run.Batch(c.counter);
            else run.BranchID();
        });
        EXPECT_TRUE(result.failed()) << c.message;
        EXPECT_EQ(f.Messages(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(f.prompter.Records().front().icon, platform::MessageIcon::Exclamation);
        EXPECT_EQ(testing::ContentsOf(f.Main()), before) << c.message;
    }
}

TEST(UtilityFrame, ReferencesOfATooLargeDatabaseIdFailAndRollBack) {
    RepairFixture f(false, 2148);
    f.Sql(QStringLiteral("INSERT INTO NewCounters (CounterRef, CounterID, CounterValue) VALUES (11521, 46, 0)"));
    const testing::DatabaseContents before = testing::ContentsOf(f.Main());
    const UtilityResult result = RunUtility(f.session, TestFix(), [&](UtilityRun& run) {
        run.Execute(QStringLiteral("INSERT INTO CashEntries (CashEntryRef, AccountRef) VALUES (%1, 1)")
                        .arg(MakeReference(run.BranchID(), run.Batch(counter_id::kCashEntries).Next())));
    });
    EXPECT_EQ(result.number, engine::err::kOverflow);
    EXPECT_EQ(testing::ContentsOf(f.Main()), before);
    ASSERT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(f.Messages().front().startsWith(QStringLiteral("[Test Fix] Failed to Update Records 6 - Overflow"))) << f.Messages().front().toStdString();
}

TEST(UtilityFrame, RunsAsALevelInsideAnOuterTransaction) {
    RepairFixture f;
    f.session.workspace->beginTrans();
    f.Sql(QStringLiteral("INSERT INTO Dustbin (DustbinRef, Description) VALUES (1, 'outer')"));
    RunUtility(f.session, TestFix(), [&](UtilityRun& run) {
        run.Execute(QStringLiteral("INSERT INTO Dustbin (DustbinRef, Description) VALUES (2, 'inner')"));
        throw engine::EngineError(engine::err::kLocked);
    });
    EXPECT_EQ(f.session.workspace->transactionLevel(), 1);
    EXPECT_EQ(f.Column(QStringLiteral("SELECT Description FROM Dustbin")), QStringList{QStringLiteral("outer")});
    f.session.workspace->rollback();
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM Dustbin")), QStringLiteral("0"));
}

}  // namespace
}  // namespace veranth::repairs
