#include "db/transactions.h"

#include "db/connection.h"
#include "db/error_report.h"
#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::db {
namespace {

class DbTransactions : public ::testing::Test {
protected:
    testing::SessionFixture f;
    Session& s = f.session;
    void SetUp() override {
        f.LogIn();
        const QString path = f.NewDatabase(QStringLiteral("t.mdb"));
        auto db = f.engine.openDatabase(path);
        db->execute(QStringLiteral("CREATE TABLE T (A INTEGER)"));
        db->close();
        s.connection.dataType = QLatin1String(kAccessDataType);
        s.connection.databaseName = path;
        OpenDatabaseByType(s, true);
        ASSERT_TRUE(s.database);
    }
    std::int64_t Rows() {
        auto rs = s.database->openRecordset(QStringLiteral("SELECT * FROM T"), engine::RecordsetType::Snapshot);
        if (!rs->eof()) rs->moveLast();
        return rs->recordCount();
    }
    void Insert() { s.database->execute(QStringLiteral("INSERT INTO T (A) VALUES (1)")); }
    bool Enabled(const char* key) const { return s.menus.Enabled(QLatin1String(key)); }
};

TEST_F(DbTransactions, ButtonsFollowTheTransaction) {
    EXPECT_TRUE(Enabled("BeginTrans"));
    ToolbarBeginTrans(s);
    EXPECT_TRUE(s.connection.inTransaction);
    EXPECT_FALSE(Enabled("BeginTrans"));
    EXPECT_TRUE(Enabled("Commit"));
    EXPECT_TRUE(Enabled("Rollback"));
    Insert();
    NoteDataChanged(s);
    EXPECT_TRUE(s.connection.pendingChanges);
    ToolbarCommit(s);
    EXPECT_FALSE(s.connection.inTransaction);
    EXPECT_FALSE(s.connection.pendingChanges);
    EXPECT_TRUE(Enabled("BeginTrans"));
    EXPECT_FALSE(Enabled("Commit"));
    EXPECT_EQ(Rows(), 1);
}

TEST_F(DbTransactions, RollbackAsksFirstAndUndoesEverything) {
    ToolbarBeginTrans(s);
    Insert();
    NoteDataChanged(s);
    f.prompter.AddAnswer(QStringLiteral("no"));
    ToolbarRollback(s);
    EXPECT_TRUE(s.connection.inTransaction) << "No leaves the transaction open";
    f.prompter.AddAnswer(QStringLiteral("yes"));
    ToolbarRollback(s);
    EXPECT_FALSE(s.connection.inTransaction);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(f.Messages(), (QStringList{"All changes will be gone, Rollback anyway?", "All changes will be gone, Rollback anyway?"}));
}

TEST_F(DbTransactions, ChangesOutsideATransactionAreNotPending) {
    NoteDataChanged(s);
    EXPECT_FALSE(s.connection.pendingChanges);
}

TEST_F(DbTransactions, EndingWithPendingChangesAsksOnlyWhetherToCommit) {
    ToolbarBeginTrans(s);
    Insert();
    NoteDataChanged(s);
    f.prompter.AddAnswer(QStringLiteral("no"));
    ResolvePendingChangesAtExit(s);
    EXPECT_EQ(f.Messages(), QStringList{"Data has been changed, Commit it?"});
}

TEST_F(DbTransactions, CloseCommitsOnYes) {
    ToolbarBeginTrans(s);
    Insert();
    NoteDataChanged(s);
    f.prompter.AddAnswer(QStringLiteral("yes"));
    const QString path = s.database->name();
    CloseDatabase(s);
    EXPECT_FALSE(s.database);
    auto db = f.engine.openDatabase(path);
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM T"), engine::RecordsetType::Snapshot);
    EXPECT_FALSE(rs->eof()) << "the committed row is in the file";
}

}  // namespace
}  // namespace veranth::db
