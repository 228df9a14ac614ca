#include "db/login.h"

#include "db/connection.h"
#include "engine/errors.h"
#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::db {
namespace {

class DbLogin : public ::testing::Test {
protected:
    testing::SessionFixture f;
    Session& s = f.session;
    QString local = f.dir.Path() + QStringLiteral("/local/");

    void SetUp() override {
        QDir().mkpath(local);
        f.WriteSiteProfile("[Database Paths]\nLocal=" + local.toUtf8() + "\n");
        f.engine.createWorkgroup(local + QStringLiteral("qor.mdw"));
        f.engine.setWorkgroupUser(local + QStringLiteral("qor.mdw"), QStringLiteral("jsmith"), QStringLiteral("pw"));
        f.LogIn();
    }
};

TEST_F(DbLogin, TheSameUserInAnyCaseChangesNothing) {
    const auto before = s.workspace;
    EXPECT_TRUE(LoginOk(s, QStringLiteral("ADMIN"), QStringLiteral("whatever")).isEmpty());
    EXPECT_EQ(s.workspace, before);
}

TEST_F(DbLogin, AnotherUserGetsANewWorkspaceAndAWrongPasswordNone) {
    EXPECT_TRUE(LoginOk(s, QStringLiteral("jsmith"), QStringLiteral("pw")).isEmpty());
    ASSERT_TRUE(s.workspace);
    EXPECT_EQ(s.workspace->userName(), QStringLiteral("jsmith"));
    EXPECT_EQ(f.engine.systemDB(), local + QStringLiteral("qor.mdw"));
    EXPECT_TRUE(LoginOk(s, QStringLiteral("admin"), QStringLiteral("wrong")).isEmpty());
    EXPECT_FALSE(s.workspace);
    EXPECT_TRUE(LoginCancel(s)) << "Cancel with no workspace ends the program";
}

TEST_F(DbLogin, ChangingUserReopensTheDatabaseAsThem) {
    const QString path = f.NewDatabase(QStringLiteral("shared.mdb"));
    s.connection.dataType = QLatin1String(kAccessDataType);
    s.connection.databaseName = path;
    s.dialogReadOnly = true;
    OpenDatabaseByType(s, true);
    ASSERT_TRUE(s.database);
    const auto before = s.database;
    f.windows.login = [&] { LoginOk(s, QStringLiteral("jsmith"), QStringLiteral("pw")); };
    SwitchWorkspace(s);
    EXPECT_TRUE(f.windows.calls.contains(QStringLiteral("UnloadRecordsetWindows")));
    ASSERT_TRUE(s.database);
    EXPECT_NE(s.database, before);
    EXPECT_TRUE(s.database->isReadOnly()) << "reopened read-only as it was opened";
    EXPECT_EQ(f.status.PanelText(2), QStringLiteral(" User: jsmith "));

    f.windows.calls.clear();
    f.windows.login = [&] { LoginOk(s, QStringLiteral("JSMITH"), QStringLiteral("pw")); };
    SwitchWorkspace(s);
    EXPECT_FALSE(f.windows.calls.contains(QStringLiteral("UnloadRecordsetWindows")));
}

TEST_F(DbLogin, AFailedReopenClosesTheDatabaseWithAWarning) {
    s.connection.dataType = QLatin1String(kAccessDataType);
    s.connection.databaseName = f.NewDatabase(QStringLiteral("x.mdb"));
    OpenDatabaseByType(s, true);
    ASSERT_TRUE(s.database);
    f.windows.login = [&] { LoginOk(s, QStringLiteral("jsmith"), QStringLiteral("wrong")); };
    SwitchWorkspace(s);
    EXPECT_FALSE(s.database);
    EXPECT_EQ(f.Messages().constLast(), QStringLiteral("Current Database must be closed due to the error!"));
}

TEST_F(DbLogin, TheChosenSecurityFileIsStoredWhereStartUpReadsIt) {
    f.prompter.AddAnswer(QStringLiteral("file:/srv/local/qor.mdw"));
    ChooseSecurityFile(s);
    EXPECT_EQ(s.Store().Get(QLatin1String(platform::kAddInsEnginesApplication), QStringLiteral("Engines"), QStringLiteral("SystemDB")),
              QStringLiteral("/srv/local/qor.mdw"));
    EXPECT_EQ(f.Stored(QStringLiteral("LoadSystemDB")), QStringLiteral("Yes"));
    EXPECT_EQ(f.prompter.Records()[0].title, QStringLiteral("Select SYSTEM.MD? (Microsoft Access Security File)"));
}

}  // namespace
}  // namespace veranth::db
