#include "app/settings.h"

#include "db/menu_tree.h"
#include "db/recent_list.h"
#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::app {
namespace {

class AppSettings : public ::testing::Test {
protected:
    testing::SessionFixture f;
    db::Session& s = f.session;
};

TEST_F(AppSettings, FirstRunDefaults) {
    LoadSettings(s);
    EXPECT_EQ(s.connection.queryTimeout, 15);
    EXPECT_EQ(s.connection.loginTimeout, 20);
    EXPECT_EQ(s.connection.viewMode, db::ViewMode::FieldForm);
    EXPECT_EQ(s.connection.recordsetType, db::RecordsetType::Dynaset);
    EXPECT_FALSE(s.preferences.openOnStartup);
    EXPECT_FALSE(s.preferences.allowSys);
    EXPECT_TRUE(s.connection.databaseName.isEmpty());
    EXPECT_EQ(RestoreWindowPlacement(s).state, 2);
}

TEST_F(AppSettings, StoredTextIsReadAsItsLeadingNumber) {
    f.Store(QStringLiteral("QueryTimeout"), QStringLiteral(" 30 seconds"));
    f.Store(QStringLiteral("LoginTimeout"), QStringLiteral("soon"));
    f.Store(QStringLiteral("OpenOnStartup"), QStringLiteral("-1"));
    f.Store(QStringLiteral("AllowSys"), QStringLiteral("1"));
    f.Store(QStringLiteral("ViewMode"), QStringLiteral("5"));
    f.Store(QStringLiteral("RecordsetType"), QStringLiteral("8"));
    LoadSettings(s);
    EXPECT_EQ(s.connection.queryTimeout, 30);
    EXPECT_EQ(s.connection.loginTimeout, 0);
    EXPECT_TRUE(s.preferences.openOnStartup);
    EXPECT_TRUE(s.preferences.allowSys);
    EXPECT_EQ(s.connection.viewMode, db::ViewMode::DataControl) << "an unknown view mode leaves the one at start";
    EXPECT_TRUE(s.menus.Checked(QStringLiteral("DataControl")));
    EXPECT_EQ(s.connection.recordsetType, db::RecordsetType::PassThrough);
    EXPECT_TRUE(s.menus.Checked(QStringLiteral("PassThrough")));
}

TEST_F(AppSettings, AStoredMinimisedWindowOpensNormalAtItsPlace) {
    f.Store(QStringLiteral("WindowState"), QStringLiteral("1"));
    f.Store(QStringLiteral("WindowLeft"), QStringLiteral("600"));
    f.Store(QStringLiteral("WindowTop"), QStringLiteral("300"));
    f.Store(QStringLiteral("WindowWidth"), QStringLiteral("8000"));
    const WindowPlacement p = RestoreWindowPlacement(s);
    EXPECT_EQ(p.state, 0);
    EXPECT_EQ(p.left, 600);
    EXPECT_EQ(p.top, 300);
    EXPECT_EQ(p.width, 8000);
    EXPECT_EQ(p.height, 6900);
}

TEST_F(AppSettings, SavingWritesEveryValueAndTheMaximisedStateAlone) {
    f.Store(QStringLiteral("WindowLeft"), QStringLiteral("600"));
    s.connection.dataType = QStringLiteral("ODBC;");
    s.connection.databaseName = QStringLiteral("Corvane");
    s.connection.odbcUserName = QStringLiteral("QzRunAdmin");
    s.connection.odbcPassword = QStringLiteral("SandOfDunes");
    s.connection.viewMode = db::ViewMode::Grid;
    s.preferences.allowSys = true;
    SaveSettings(s, WindowPlacement{2, 10, 20, 30, 40});
    EXPECT_EQ(f.Stored(QStringLiteral("DataType")), QStringLiteral("ODBC;"));
    EXPECT_EQ(f.Stored(QStringLiteral("DatabaseName")), QStringLiteral("Corvane"));
    EXPECT_EQ(f.Stored(QStringLiteral("ODBCUserName")), QStringLiteral("QzRunAdmin"));
    EXPECT_EQ(f.Stored(QStringLiteral("ODBCPassword")), QString()) << "the password never reaches the user's file";
    EXPECT_EQ(f.Stored(QStringLiteral("ViewMode")), QStringLiteral("2"));
    EXPECT_EQ(f.Stored(QStringLiteral("AllowSys")), QStringLiteral("-1"));
    EXPECT_EQ(f.Stored(QStringLiteral("OpenOnStartup")), QStringLiteral("0"));
    EXPECT_EQ(f.Stored(QStringLiteral("QueryTimeout")), QStringLiteral("15"));
    EXPECT_EQ(f.Stored(QStringLiteral("WindowState")), QStringLiteral("2"));
    EXPECT_EQ(f.Stored(QStringLiteral("WindowLeft")), QStringLiteral("600")) << "a maximised window leaves its position";

    SaveSettings(s, WindowPlacement{0, 120, 240, 9000.5, 7000});
    EXPECT_EQ(f.Stored(QStringLiteral("WindowState")), QStringLiteral("0"));
    EXPECT_EQ(f.Stored(QStringLiteral("WindowLeft")), QStringLiteral("120"));
    EXPECT_EQ(f.Stored(QStringLiteral("WindowWidth")), QStringLiteral("9000.5"));
}

TEST_F(AppSettings, TheRecentListSurvivesARunWithoutThePassword) {
    f.Store(QStringLiteral("MRUDatabase1"), QStringLiteral("/srv/Mainqor.mdb"));
    f.Store(QStringLiteral("MRUConnect1"), QStringLiteral("Microsoft Access"));
    f.Store(QStringLiteral("MRUDatabase2"), QStringLiteral("/srv/dbf"));
    f.Store(QStringLiteral("MRUConnect2"), QStringLiteral("Dbase IV;"));
    db::LoadRecentList(s);
    SaveSettings(s, WindowPlacement{});
    EXPECT_EQ(f.Stored(QStringLiteral("MRUDatabase1")), QStringLiteral("/srv/Mainqor.mdb"));
    EXPECT_EQ(f.Stored(QStringLiteral("MRUConnect2")), QStringLiteral("Dbase IV;"));
    EXPECT_EQ(f.Stored(QStringLiteral("MRUDatabase3")), QString());
}

}  // namespace
}  // namespace veranth::app
