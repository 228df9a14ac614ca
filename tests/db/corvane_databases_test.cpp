#include "db/corvane_databases.h"

#include "db/connection.h"
#include "tests/support/session_fixture.h"

#include <QDir>
#include <gtest/gtest.h>

namespace veranth::db {
namespace {

TEST(DbCorvaneDatabases, AccessPathsFallBackToMain) {
    testing::SessionFixture f;
    f.WriteSiteProfile("[Database Paths]\nMain=C:\\data\\\nLocal=C:\\local\\\nLetters=\nCTP=D:\\ctp\\\n");
    EXPECT_EQ(CorvaneAccessPath(CorvaneDatabase::Main), QStringLiteral("C:\\data\\Mainqor"));
    EXPECT_EQ(CorvaneAccessPath(CorvaneDatabase::Letters), QStringLiteral("C:\\data\\SLettqor"));
    EXPECT_EQ(CorvaneAccessPath(CorvaneDatabase::Annuity), QStringLiteral("C:\\data\\Annuity"));
    EXPECT_EQ(CorvaneAccessPath(CorvaneDatabase::Ctp), QStringLiteral("D:\\ctp\\CTPqor"));
    EXPECT_EQ(CorvaneAccessPath(CorvaneDatabase::Local), QStringLiteral("C:\\local\\localqor"));
    EXPECT_EQ(CorvaneCompactPath(2), QStringLiteral("C:\\data\\SLettqor.mdb"));
    EXPECT_EQ(CorvaneRepairPath(1), QStringLiteral("C:\\local\\Localqor"));
    EXPECT_EQ(CorvaneRepairPath(5), QString());
}

TEST(DbCorvaneDatabases, ServerNamesCarryTheSuffixExceptAnnuity) {
    const QString ext = QStringLiteral("ABC");
    EXPECT_EQ(CorvaneServerDatabaseName(CorvaneDatabase::Main, ext), QStringLiteral("Mainqor_ABC"));
    EXPECT_EQ(CorvaneServerDatabaseName(CorvaneDatabase::Letters, ext), QStringLiteral("SLettqor_ABC"));
    EXPECT_EQ(CorvaneServerDatabaseName(CorvaneDatabase::Ctp, ext), QStringLiteral("CTPqor_ABC"));
    EXPECT_EQ(CorvaneServerDatabaseName(CorvaneDatabase::Annuity, ext), QStringLiteral("Annuity"));
    EXPECT_EQ(CorvaneServerDatabaseName(CorvaneDatabase::Main, QString()), QStringLiteral("Mainqor"));
}

TEST(DbCorvaneDatabases, TheMainItemOpensTheConfiguredFile) {
    testing::SessionFixture f;
    f.LogIn();
    const QString data = f.dir.Path() + QStringLiteral("/data/");
    QDir().mkpath(data);
    f.WriteSiteProfile("[Database Paths]\nMain=" + data.toUtf8() + "\n");
    f.engine.createDatabase(data + QStringLiteral("Mainqor.mdb"))->close();
    OpenCorvaneDatabase(f.session, CorvaneDatabase::Main);
    ASSERT_TRUE(f.session.database) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(f.session.database->name().endsWith(QStringLiteral("Mainqor.mdb")));
    EXPECT_TRUE(f.session.menus.Visible(QStringLiteral("mnu_DU_TimeFeeCharges")));

    std::shared_ptr<engine::Database> letters;
    EXPECT_FALSE(OpenSiblingDatabase(f.session, QStringLiteral("SLettqor"), letters, true)) << "no letters file yet";
    f.engine.createDatabase(data + QStringLiteral("SLettqor.mdb"))->close();
    ASSERT_TRUE(OpenSiblingDatabase(f.session, QStringLiteral("SLettqor"), letters, true));
    EXPECT_EQ(letters->name(), data + QStringLiteral("SLettqor.mdb"));
    EXPECT_FALSE(OpenSiblingDatabase(f.session, QStringLiteral("SLettqor"), letters, false)) << "a native file's connect has no MAINQOR";
}

TEST(DbCorvaneDatabases, RegistrationBatchIsExactAndQuotesSafely) {
    const QString batch = RegistrationBatch(QStringLiteral("WS01"), 4242, QStringLiteral("jsmith"), QStringLiteral("veranth"));
    const QString w = QStringLiteral(" WHERE [HostName]= 'WS01' AND [SPID] = 4242");
    EXPECT_EQ(batch, QStringLiteral("IF EXISTS (SELECT [SPID] FROM [audit].[MachineSPIDUser]") + w + QStringLiteral(")\r\n\t") +
                         QStringLiteral(" UPDATE [audit].[MachineSPIDUser] SET [UserName] = 'jsmith' ,[UserRef] = 0 ,[Suspend] = 0 "
                                        ",[AutoProcess] = 0 ,[LastUpdated] = GetDate()  ,[ProcessName] = 'veranth'") +
                         w + QStringLiteral("\r\nELSE \r\n\t INSERT INTO [audit].[MachineSPIDUser] ([HostName], [SPID], [UserRef], "
                                            "[UserName],[LastUpdated],[Suspend],[AutoProcess],[ProcessName])  VALUES ( 'WS01', "
                                            "4242,0,'jsmith', GetDate(),0,0 ,'veranth' )"));
    EXPECT_TRUE(RegistrationBatch(QStringLiteral("WS01"), 1, QStringLiteral("O'Brien"), QStringLiteral("veranth")).contains(QStringLiteral("'O''Brien'")));
}

}  // namespace
}  // namespace veranth::db
