#include "db/file_maintenance.h"

#include "db/corvane_databases.h"
#include "tests/support/session_fixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace veranth::db {
namespace {

class DbFileMaintenance : public ::testing::Test {
protected:
    testing::SessionFixture f;
    Session& s = f.session;
    void SetUp() override { f.LogIn(); }

    QString DataFolder() const { return f.dir.Path() + QStringLiteral("/data/"); }
    QString MakeTable(const QString& path) {
        auto db = f.engine.openDatabase(path);
        db->execute(QStringLiteral("CREATE TABLE T (A INTEGER)"));
        for (int i = 0; i < 50; ++i) db->execute(QStringLiteral("INSERT INTO T (A) VALUES (%1)").arg(i));
        db->execute(QStringLiteral("DELETE FROM T WHERE A < 40"));
        db->close();
        return path;
    }
    int Rows(const QString& path) {
        auto rs = f.engine.openDatabase(path)->openRecordset(QStringLiteral("SELECT * FROM T"), engine::RecordsetType::Snapshot);
        if (!rs->eof()) rs->moveLast();
        return static_cast<int>(rs->recordCount());
    }
};

TEST_F(DbFileMaintenance, CompactInPlaceOfTheMainDatabaseLeavesNoTemporaryFile) {
    QDir().mkpath(DataFolder());
    f.WriteSiteProfile("[Database Paths]\nMain=" + DataFolder().toUtf8() + "\n");
    const QString main = DataFolder() + QStringLiteral("Mainqor.mdb");
    f.engine.createDatabase(main)->close();
    MakeTable(main);
    ASSERT_EQ(CorvaneCompactPath(0), main);
    CompactMdb(s, kDbVersion30, CorvaneCompactPath(0));
    EXPECT_TRUE(f.Messages().isEmpty()) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files), QStringList{"Mainqor.mdb"});
    EXPECT_EQ(Rows(main), 10);
    EXPECT_TRUE(f.status.History().contains(QStringLiteral("Compacting ") + main + QStringLiteral(" -> ") + main +
                                            QStringLiteral(", please wait...")));
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
}

TEST_F(DbFileMaintenance, CompactIntoADestinationEndingInNReplacesNothingElse) {
    const QString source = MakeTable(f.NewDatabase(QStringLiteral("source.mdb")));
    const QString destination = f.dir.File(QStringLiteral("copy.mdN"));
    f.dir.Write(QStringLiteral("copy.mdN"), "old");
    f.prompter.AddAnswer(QStringLiteral("file:") + source);
    f.prompter.AddAnswer(QStringLiteral("file:") + destination);
    CompactMdb(s, kDbVersion30, QString());
    EXPECT_TRUE(f.Messages().isEmpty()) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(QFile::exists(source)) << "the source must survive a destination named like a temporary file";
    EXPECT_EQ(Rows(source), 10);
    EXPECT_EQ(Rows(destination), 10);
}

TEST_F(DbFileMaintenance, CancelledDialogsEndQuietly) {
    CompactMdb(s, kDbVersion30, QString());
    RepairMdb(s, QString());
    CreateMdb(s, kDbVersion30);
    EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(DbFileMaintenance, CreateAddsTheExtensionAndOpensTheNewFile) {
    f.prompter.AddAnswer(QStringLiteral("file:") + f.dir.File(QStringLiteral("test")));
    CreateMdb(s, kDbVersion30);
    EXPECT_TRUE(QFile::exists(f.dir.File(QStringLiteral("test.MDB"))));
    ASSERT_TRUE(s.database) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(f.windows.caption, QStringLiteral("Corvane - Veranth (") + f.dir.File(QStringLiteral("test.MDB")) + QLatin1Char(')'));
}

TEST_F(DbFileMaintenance, RepairOfAForeignFileShowsTheEnginesError) {
    const QString path = f.dir.Write(QStringLiteral("odd.mdb"), "this is not a database file at all, just text");
    RepairMdb(s, path);
    ASSERT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(f.Messages()[0].contains(QStringLiteral("Number: 3049"))) << f.Messages()[0].toStdString();
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
}

}  // namespace
}  // namespace veranth::db
