#include "db/connection.h"

#include "db/menu_tree.h"
#include "db/recent_list.h"
#include "db/transactions.h"
#include "tests/support/session_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace veranth::db {
namespace {

class DbConnection : public ::testing::Test {
protected:
    testing::SessionFixture f;
    Session& s = f.session;
    void SetUp() override { f.LogIn(); }

    void OpenByName(const QString& path, const QString& dataType = QLatin1String(kAccessDataType)) {
        s.connection.dataType = dataType;
        s.connection.databaseName = path;
        OpenDatabaseByType(s, true);
    }
    bool Visible(const char* item) const { return s.menus.Visible(QLatin1String(item)); }
};

TEST_F(DbConnection, OpeningByNameMakesItCurrentAndUpdatesEverything) {
    const QString path = f.NewDatabase(QStringLiteral("other.mdb"));
    OpenByName(path.chopped(4));  // the engine adds ".mdb"
    ASSERT_TRUE(s.database) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(s.connection.databaseOpen);
    EXPECT_EQ(f.windows.caption, QStringLiteral("Corvane - Veranth (") + path.chopped(4) + QLatin1Char(')'));
    EXPECT_TRUE(s.menus.Enabled(QStringLiteral("mnuDBClose")));
    EXPECT_TRUE(s.menus.Enabled(QStringLiteral("mnuDBImpExp")));
    EXPECT_TRUE(s.menus.Enabled(QStringLiteral("BeginTrans")));
    EXPECT_FALSE(s.menus.Enabled(QStringLiteral("Commit")));
    EXPECT_FALSE(Visible("mnu_DU_TimeFeeCharges"));
    EXPECT_TRUE(Visible("mnu_DU_CounterUPD"));
    EXPECT_EQ(RecentName(s, 1), path.chopped(4));
    EXPECT_EQ(s.menus.Tag(RecentItemName(1)), QStringLiteral("Microsoft Access"));
    EXPECT_EQ(s.database->queryTimeout(), 15);
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
    EXPECT_TRUE(f.windows.calls.contains(QStringLiteral("ShowDatabaseWindow")));
    EXPECT_TRUE(f.windows.calls.contains(QStringLiteral("ShowSqlWindow")));
}

TEST_F(DbConnection, RepairItemsFollowTheMainqorNameInAnyCase) {
    const struct {
        const char* file;
        bool repairs;
    } cases[] = {{"Mainqor.mdb", true}, {"other.mdb", false}, {"MAINQOR_copy.mdb", true}, {"mainqo.mdb", false}};
    for (const auto& c : cases) {
        OpenByName(f.NewDatabase(QLatin1String(c.file)));
        ASSERT_TRUE(s.database) << c.file;
        for (const QString& item : RepairItemNames()) EXPECT_EQ(s.menus.Visible(item), c.repairs) << c.file << " " << item.toStdString();
        EXPECT_TRUE(Visible("mnu_DU_CounterUPD"));
    }
}

TEST_F(DbConnection, AnIsamTypeThroughTheDialogOpensTheFolderOfTheChosenFile) {
    f.prompter.AddAnswer(QStringLiteral("file:") + f.dir.File(QStringLiteral("cust.dbf")));
    s.connection.dataType = QStringLiteral("Dbase III;");
    OpenDatabaseByType(s, false);
    ASSERT_GE(f.prompter.Records().size(), 1u);
    EXPECT_EQ(f.prompter.Records()[0].title, QStringLiteral("Open Dbase Database"));
    ASSERT_TRUE(s.database) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(s.connection.databaseOpen);
    EXPECT_EQ(QFileInfo(s.database->name()), QFileInfo(f.dir.Path()));
    EXPECT_EQ(s.database->connect(), QStringLiteral("Dbase III;"));
}

TEST_F(DbConnection, AMissingDriverIsReportedAndResetsTheConnection) {
    const QString file = f.dir.Write(QStringLiteral("FILE.DDF"), QByteArray("dictionary"));
    f.prompter.AddAnswer(QStringLiteral("file:") + file);
    s.connection.dataType = QStringLiteral("Btrieve;");
    OpenDatabaseByType(s, false);
    ASSERT_EQ(f.prompter.Records().size(), 3) << "the dialog, the beep and the message";
    EXPECT_EQ(f.prompter.Records()[0].title, QStringLiteral("Open Btrieve Database"));
    const QString message = f.Messages().constLast();
    EXPECT_TRUE(message.startsWith(QStringLiteral("The following Error occurred:\r\n\r\n"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Number: 3170"))) << message.toStdString();
    EXPECT_FALSE(s.connection.databaseOpen);
    EXPECT_TRUE(s.connection.dataType.isEmpty()) << "a failed open resets the connection fields";
    EXPECT_TRUE(s.connection.databaseName.isEmpty());
}

TEST_F(DbConnection, CancellingTheDialogShowsNothingAndKeepsAnOpenDatabase) {
    OpenByName(f.NewDatabase(QStringLiteral("kept.mdb")));
    ASSERT_TRUE(s.database);
    const auto records = f.prompter.Records().size();
    s.connection.dataType = QLatin1String(kAccessDataType);
    OpenDatabaseByType(s, false);  // no answer: the dialog is cancelled
    EXPECT_EQ(f.prompter.Records().size(), records + 1) << "only the dialog itself";
    EXPECT_TRUE(s.database);
    EXPECT_TRUE(s.connection.databaseOpen);
}

TEST_F(DbConnection, APasswordProtectedFileAsksAndReopensWithThePassword) {
    const QString path = f.NewDatabase(QStringLiteral("secret.mdb"));
    f.engine.setDatabasePassword(path, QString(), QStringLiteral("Dunes"));
    f.windows.passwords = {QString()};
    OpenByName(path);
    EXPECT_FALSE(s.database) << "Cancel in the password window ends the open";
    EXPECT_TRUE(f.Messages().isEmpty());

    f.windows.passwords = {QStringLiteral("Dunes")};
    OpenByName(path);
    ASSERT_TRUE(s.database) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(s.menus.Tag(RecentItemName(1)), QStringLiteral(";pwd=Dunes"));
}

TEST_F(DbConnection, AForeignFileOffersARepairAndNoEndsQuietly) {
    const QString path = f.dir.Write(QStringLiteral("foreign.mdb"), QByteArray("neither ours nor anything known"));
    OpenByName(path);
    ASSERT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(f.Messages()[0].endsWith(QStringLiteral("\r\n\r\nAttempt to Repair it?"))) << f.Messages()[0].toStdString();
    EXPECT_EQ(f.prompter.Records()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_FALSE(s.database);
}

TEST_F(DbConnection, ClosingWithPendingChangesAnsweredNoNoKeepsTheDatabaseOpen) {
    OpenByName(f.NewDatabase(QStringLiteral("busy.mdb")));
    ASSERT_TRUE(s.database);
    ToolbarBeginTrans(s);
    NoteDataChanged(s);
    f.prompter.AddAnswer(QStringLiteral("no"));
    f.prompter.AddAnswer(QStringLiteral("no"));
    CloseDatabase(s);
    EXPECT_TRUE(s.database);
    EXPECT_TRUE(s.connection.inTransaction);
    EXPECT_TRUE(s.menus.Enabled(QStringLiteral("Commit")));
    EXPECT_EQ(f.Messages(), (QStringList{"Data has been changed, Commit it?", "RollBack All changes?", "Can't Close with Transactions Pending!"}));

    // Opening another database now is refused the same way, and the old one stays current.
    const QString old = s.database->name();
    f.prompter.AddAnswer(QStringLiteral("no"));
    f.prompter.AddAnswer(QStringLiteral("no"));
    OpenByName(f.NewDatabase(QStringLiteral("next.mdb")));
    EXPECT_EQ(s.database->name(), old);
    EXPECT_EQ(f.Messages().constLast(), QStringLiteral("You must Close First!"));

    f.prompter.AddAnswer(QStringLiteral("yes"));
    CloseDatabase(s);
    EXPECT_FALSE(s.database);
    EXPECT_EQ(f.windows.caption, QStringLiteral("Tabrix"));
    EXPECT_FALSE(s.menus.Enabled(QStringLiteral("BeginTrans")));
    EXPECT_FALSE(s.menus.Enabled(QStringLiteral("mnuDBClose")));
    EXPECT_TRUE(f.windows.calls.contains(QStringLiteral("UnloadChildWindows")));
}

TEST_F(DbConnection, RecordsetTypeFollowsTheKindOfDatabase) {
    s.connection.recordsetType = RecordsetType::PassThrough;
    OpenByName(f.NewDatabase(QStringLiteral("native.mdb")));
    EXPECT_EQ(s.connection.recordsetType, RecordsetType::Dynaset);
    EXPECT_TRUE(s.menus.Checked(QStringLiteral("Dynaset")));
    EXPECT_FALSE(Visible("PassThrough"));
    EXPECT_TRUE(Visible("Table"));
}

TEST(DbConnectString, ParsesTheExactKeysOnly) {
    testing::SessionFixture f;
    f.session.connection.odbcDriver = QStringLiteral("kept");
    ParseConnectString(f.session, QStringLiteral("ODBC;DSN=Sales;UID=sa;PWD=;DATABASE=pubs;DRIVER={SQL Server};Server=srv;x=a=b"));
    const ConnectionState& c = f.session.connection;
    EXPECT_EQ(c.odbcDatasource, QStringLiteral("Sales"));
    EXPECT_EQ(c.odbcUserName, QStringLiteral("sa"));
    EXPECT_EQ(c.odbcPassword, QString());
    EXPECT_EQ(c.odbcDatabase, QStringLiteral("pubs"));
    EXPECT_EQ(c.odbcDriver, QStringLiteral("kept"));
    EXPECT_EQ(c.odbcServer, QStringLiteral("srv"));
    ParseConnectString(f.session, QStringLiteral("Dbase III;"));
    EXPECT_EQ(c.odbcDatasource, QStringLiteral("Sales"));
}

TEST(DbConnectString, FolderOfAPath) {
    EXPECT_EQ(GetFolderOfPath(QStringLiteral("C:\\data\\cust.dbf")), QStringLiteral("C:\\data"));
    EXPECT_EQ(GetFolderOfPath(QStringLiteral("/srv/data/cust.dbf")), QStringLiteral("/srv/data"));
    EXPECT_EQ(GetFolderOfPath(QStringLiteral("cust.dbf")), QString());
}

}  // namespace
}  // namespace veranth::db
