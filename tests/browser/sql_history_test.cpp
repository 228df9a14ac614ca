#include "browser/sql_history.h"

#include "tests/support/temp_env.h"

#include <QFile>
#include <gtest/gtest.h>

namespace veranth::browser {
namespace {

QDateTime At(int minute) { return QDateTime(QDate(2026, 12, 11), QTime(9, minute), Qt::UTC); }

QStringList Statements(const SqlHistory& h) {
    QStringList out;
    for (const SqlHistoryEntry& e : h.Entries()) out.append(e.statement);
    return out;
}

TEST(BrowserSqlHistory, NewestFirstPersistedAndRepeatsMovedToTheFront) {
    veranth::testing::TempDir dir;
    const QString file = dir.File(QStringLiteral("config/sql_history.json"));
    {
        SqlHistory h(file);
        EXPECT_TRUE(h.Entries().isEmpty());
        EXPECT_TRUE(h.Add(QStringLiteral("SELECT 1"), QStringLiteral("/srv/a.mdb"), At(1)));
        h.Add(QStringLiteral("DELETE FROM T\nWHERE X = 'a'"), QStringLiteral("/srv/a.mdb"), At(2));
        h.Add(QStringLiteral("SELECT 1"), QStringLiteral("/srv/b.mdb"), At(3));
        h.Add(QStringLiteral("SELECT 1"), QStringLiteral("/srv/a.mdb"), At(4));
        h.Add(QStringLiteral("   "), QStringLiteral("/srv/a.mdb"), At(5));
    }
    const SqlHistory again(file);
    ASSERT_EQ(Statements(again), (QStringList{"SELECT 1", "SELECT 1", "DELETE FROM T\nWHERE X = 'a'"}))
        << "the same text on another database is another entry; a blank one is none";
    EXPECT_EQ(again.Entries()[0].database, QStringLiteral("/srv/a.mdb"));
    EXPECT_EQ(again.Entries()[0].executed, At(4));
    EXPECT_EQ(again.Entries()[1].database, QStringLiteral("/srv/b.mdb"));
}

TEST(BrowserSqlHistory, TwoRunsKeepEachOthersEntriesAndTheOldestFallOff) {
    veranth::testing::TempDir dir;
    const QString file = dir.File(QStringLiteral("sql_history.json"));
    SqlHistory first(file), second(file);
    first.Add(QStringLiteral("SELECT 'first'"), QString(), At(1));
    second.Add(QStringLiteral("SELECT 'second'"), QString(), At(2));
    EXPECT_EQ(Statements(SqlHistory(file)), (QStringList{"SELECT 'second'", "SELECT 'first'"}));

    for (int i = 0; i < SqlHistory::kMaxEntries + 5; ++i)
        first.Add(QStringLiteral("SELECT %1").arg(i), QString(), At(3).addSecs(i));
    const SqlHistory bounded(file);
    EXPECT_EQ(bounded.Entries().size(), SqlHistory::kMaxEntries);
    EXPECT_EQ(bounded.Entries().first().statement, QStringLiteral("SELECT %1").arg(SqlHistory::kMaxEntries + 4));
}

TEST(BrowserSqlHistory, DamagedFileIsAnEmptyHistoryThatCanBeWrittenAgain) {
    veranth::testing::TempDir dir;
    const QString file = dir.File(QStringLiteral("sql_history.json"));
    dir.Write(QStringLiteral("sql_history.json"), "{\"entries\": [ {\"statement\": 5}, not json");
    SqlHistory h(file);
    EXPECT_TRUE(h.Entries().isEmpty());
    EXPECT_TRUE(h.Add(QStringLiteral("SELECT 2"), QString(), At(1)));
    EXPECT_EQ(Statements(SqlHistory(file)), QStringList{"SELECT 2"});
}

TEST(BrowserSqlRecall, WalksTheHistoryAndGivesBackWhatWasBeingTyped) {
    veranth::testing::TempDir dir;
    SqlHistory h(dir.File(QStringLiteral("sql_history.json")));
    h.Add(QStringLiteral("old"), QString(), At(1));
    h.Add(QStringLiteral("new"), QString(), At(2));
    SqlRecall recall(h);
    EXPECT_EQ(recall.Newer(), std::nullopt) << "nothing is newer than the text being typed";
    EXPECT_EQ(recall.Older(QStringLiteral("typing")), QStringLiteral("new"));
    EXPECT_EQ(recall.Older(QStringLiteral("new")), QStringLiteral("old"));
    EXPECT_EQ(recall.Older(QStringLiteral("old")), std::nullopt);
    EXPECT_EQ(recall.Newer(), QStringLiteral("new"));
    EXPECT_EQ(recall.Newer(), QStringLiteral("typing"));
    EXPECT_EQ(recall.Position(), -1);

    // An entry edited during the walk is the text being typed from then on.
    recall.Older(QStringLiteral("typing"));
    recall.Edited();
    EXPECT_EQ(recall.Older(QStringLiteral("new, edited")), QStringLiteral("new"));
    EXPECT_EQ(recall.Newer(), QStringLiteral("new, edited"));
}

}  // namespace
}  // namespace veranth::browser
