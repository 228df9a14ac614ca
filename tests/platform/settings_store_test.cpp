#include "platform/settings_store.h"

#include "tests/support/temp_env.h"

#include <QFile>
#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

class PlatformSettingsStore : public ::testing::Test {
protected:
    testing::TempDir root;
    SettingsStore store{root.Path()};
};

TEST_F(PlatformSettingsStore, EachApplicationIsAFileAndEachSectionAGroup) {
    ASSERT_TRUE(store.SaveUserSetting(QStringLiteral("QueryTimeout"), QStringLiteral("15")));
    ASSERT_TRUE(store.Set(QLatin1String(kAddInsEnginesApplication), QStringLiteral("Engines"), QStringLiteral("SystemDB"),
                          QStringLiteral("/srv/local/qor.mdw")));
    ASSERT_TRUE(store.Set(QLatin1String(kTabrixApplication), QStringLiteral("Options"), QStringLiteral("SystemDB"), QString()));

    const QString addIns = root.File(QStringLiteral("Microsoft Visual Basic AddIns.ini"));
    const QString engines = root.File(QStringLiteral("Microsoft Visual Basic AddIns/Tabrix.ini"));
    const QString tabrix = root.File(QStringLiteral("Tabrix.ini"));
    EXPECT_EQ(store.FilePath(QLatin1String(kAddInsApplication)), addIns);
    EXPECT_EQ(store.FilePath(QLatin1String(kAddInsEnginesApplication)), engines);
    for (const QString& path : {addIns, engines, tabrix}) EXPECT_TRUE(QFile::exists(path)) << path.toStdString();

    QFile file(addIns);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Veranth]")) << text.constData();
    EXPECT_TRUE(text.contains("QueryTimeout=15")) << text.constData();

    EXPECT_EQ(store.Get(QLatin1String(kAddInsEnginesApplication), QStringLiteral("Engines"), QStringLiteral("SystemDB")),
              QStringLiteral("/srv/local/qor.mdw"));
    EXPECT_TRUE(store.Contains(QLatin1String(kTabrixApplication), QStringLiteral("Options"), QStringLiteral("SystemDB")));
    EXPECT_EQ(store.SectionPath(QLatin1String(kAddInsApplication), QStringLiteral("Veranth")), addIns + QStringLiteral(" [Veranth]"));
}

TEST_F(PlatformSettingsStore, AbsentValuesGiveTheDefault) {
    EXPECT_EQ(store.GetUserSetting(QStringLiteral("WindowState"), QStringLiteral("2")), QStringLiteral("2"));
    store.SaveUserSetting(QStringLiteral("WindowLeft"), QStringLiteral("120"));
    EXPECT_EQ(store.GetUserSetting(QStringLiteral("WindowState"), QStringLiteral("2")), QStringLiteral("2"));
    EXPECT_EQ(store.GetUserSetting(QStringLiteral("WindowLeft"), QStringLiteral("0")), QStringLiteral("120"));
}

TEST_F(PlatformSettingsStore, ValuesComeBackAsTheExactTextWritten) {
    const QString values[] = {
        QStringLiteral("-1"),
        QStringLiteral("C:\\data\\Mainqor.mdb"),
        QStringLiteral("ODBC;DSN=Corvane;UID=sa;PWD=a=b;c;"),
        QStringLiteral("SELECT a, b FROM t\r\nWHERE x = 'y, z'"),
        QStringLiteral("  leading and trailing  "),
        QStringLiteral("[brackets] #hash ;semi \"quotes\""),
        QStringLiteral("Gr\u00fc\u00dfe \u20ac"),
        QString(),
    };
    for (const QString& value : values) {
        ASSERT_TRUE(store.SaveUserSetting(QStringLiteral("SQLStatement"), value));
        EXPECT_EQ(SettingsStore(root.Path()).GetUserSetting(QStringLiteral("SQLStatement"), QStringLiteral("default")), value)
            << value.toStdString();
    }
}

TEST_F(PlatformSettingsStore, UnwritableStoreReportsFailure) {
    const QString blocker = root.Write(QStringLiteral("not-a-folder"), "x");
    SettingsStore broken(blocker);
    EXPECT_FALSE(broken.SaveUserSetting(QStringLiteral("QueryTimeout"), QStringLiteral("15")));
    EXPECT_EQ(broken.GetUserSetting(QStringLiteral("QueryTimeout"), QStringLiteral("15")), QStringLiteral("15"));
}

TEST(PlatformSettingNumber, PositionsAreSinglePrecisionDecimalText) {
    EXPECT_EQ(FormatSettingNumber(9135), QStringLiteral("9135"));
    EXPECT_EQ(FormatSettingNumber(-60), QStringLiteral("-60"));
    EXPECT_EQ(FormatSettingNumber(1234.5), QStringLiteral("1234.5"));
}

}  // namespace
}  // namespace veranth::platform
