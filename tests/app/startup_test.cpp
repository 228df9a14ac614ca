#include "app/startup.h"

#include "tests/support/session_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace veranth::app {
namespace {

TEST(AppStartup, SqlServerSiteFillsTheMainDatabaseConnection) {
    testing::SessionFixture f;
    f.WriteSiteProfile("[Database Paths]\nDatabase Type=1\nDBExtension= ABC \nMain=CORVSQL01\n");
    const QString credentials = f.dir.Write(QStringLiteral("site/credentials.ini"), "[DBCredentials]\nApplicationLogin=app\nApplicationPassword=pw\n");
    QFile::setPermissions(credentials, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_TRUE(LoadSiteConfiguration(f.session).isEmpty());
    const db::ConnectionState& c = f.session.connection;
    EXPECT_EQ(f.session.site.siteDatabaseType, 1);
    EXPECT_EQ(f.session.site.siteDBExtension, QStringLiteral("ABC"));
    EXPECT_EQ(c.odbcDatabase, QStringLiteral("Mainqor_ABC"));
    EXPECT_EQ(c.odbcUserName, QStringLiteral("app"));
    EXPECT_EQ(c.odbcPassword, QStringLiteral("pw"));
    EXPECT_EQ(c.odbcDriver, QStringLiteral("SQL Server"));
    EXPECT_EQ(c.odbcServer, QStringLiteral("CORVSQL01"));
}

TEST(AppStartup, AccessSiteOrNoProfileLeavesTheConnectionAlone) {
    const struct {
        const char* profile;
        int type;
    } cases[] = {{nullptr, 0}, {"[Database Paths]\nDatabase Type=0\nDBExtension=ABC\n", 0}, {"[Database Paths]\nDatabase Type=abc\n", 0},
                 {"[Database Paths]\nDatabase Type=-1\n", -1}};
    for (const auto& c : cases) {
        testing::SessionFixture f;
        if (c.profile) f.WriteSiteProfile(c.profile);
        LoadSiteConfiguration(f.session);
        EXPECT_EQ(f.session.site.siteDatabaseType, c.type);
        EXPECT_TRUE(f.session.site.siteDBExtension.isEmpty());
        EXPECT_TRUE(f.session.connection.odbcDatabase.isEmpty());
        EXPECT_TRUE(f.session.connection.odbcDriver.isEmpty());
    }
}

TEST(AppStartup, ANoSuffixSiteAndTheDefaultCredentials) {
    testing::SessionFixture f;
    f.WriteSiteProfile("[Database Paths]\nDatabase Type=1.4\nMain=SRV\n");
    LoadSiteConfiguration(f.session);
    EXPECT_EQ(f.session.site.siteDatabaseType, 1);
    EXPECT_EQ(f.session.connection.odbcDatabase, QStringLiteral("Mainqor"));
    EXPECT_EQ(f.session.connection.odbcUserName, QStringLiteral("QzRunAdmin"));
    EXPECT_EQ(f.session.connection.odbcPassword, QStringLiteral("SandOfDunes"));
}

}  // namespace
}  // namespace veranth::app
