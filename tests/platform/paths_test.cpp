#include "platform/file_filter.h"
#include "platform/paths.h"

#include "tests/support/temp_env.h"

#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

TEST(PlatformPaths, SplitsOnEitherSeparator) {
    const struct {
        const char *path, *folder, *name;
    } cases[] = {{"C:\\data\\Mainqor.mdb", "C:\\data\\", "Mainqor.mdb"},
                 {"/srv/corvane/Mainqor.mdb", "/srv/corvane/", "Mainqor.mdb"},
                 {"\\\\server\\share/mixed\\file.txt", "\\\\server\\share/mixed\\", "file.txt"},
                 {"Mainqor", "", "Mainqor"},
                 {"/srv/", "/srv/", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOfPath(QLatin1String(c.path)), QLatin1String(c.folder)) << c.path;
        EXPECT_EQ(FileNameOfPath(QLatin1String(c.path)), QLatin1String(c.name)) << c.path;
    }
    EXPECT_EQ(JoinPath(QStringLiteral("/srv"), QStringLiteral("x")), QStringLiteral("/srv/x"));
    EXPECT_EQ(JoinPath(QStringLiteral("C:\\data\\"), QStringLiteral("x")), QStringLiteral("C:\\data\\x"));
}

TEST(PlatformPaths, ProgramNameLosesFolderAndExeSuffix) {
    EXPECT_EQ(ProgramNameFromModulePath(QStringLiteral("C:\\Program Files\\Veranth\\veranth.exe")), QStringLiteral("veranth"));
    EXPECT_EQ(ProgramNameFromModulePath(QStringLiteral("/usr/bin/VERANTH.EXE")), QStringLiteral("VERANTH"));
    EXPECT_EQ(ProgramNameFromModulePath(QStringLiteral("/opt/veranth/bin/veranth")), QStringLiteral("veranth"));
    EXPECT_EQ(ProgramNameFromModulePath(QStringLiteral("/x/veranth.exe.bak")), QStringLiteral("veranth.exe.bak"));
    // The module path is read into 128 characters: a longer one is cut before the name is taken.
    const QString longPath = QStringLiteral("/") + QString(130, QLatin1Char('d')) + QStringLiteral("/veranth");
    EXPECT_EQ(ProgramNameFromModulePath(longPath), QString(126, QLatin1Char('d')));
}

TEST(PlatformPaths, SiteAndUserFoldersFollowTheEnvironment) {
    testing::TempDir dir;
    {
        const testing::ScopedEnv site("VERANTH_SITE_DIR", dir.Path());
        EXPECT_EQ(SiteDirectory(), dir.Path());
        SetSiteDirectoryOverride(QStringLiteral("/override"));
        EXPECT_EQ(SiteDirectory(), QStringLiteral("/override"));
        SetSiteDirectoryOverride(QString());
    }
    const testing::ScopedEnv noSite("VERANTH_SITE_DIR", QString());
    EXPECT_EQ(SiteDirectory(), QStringLiteral("/etc/veranth"));
    const testing::ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    EXPECT_EQ(UserConfigDirectory(), dir.Path() + QStringLiteral("/veranth"));
    const testing::ScopedEnv relative("XDG_DATA_HOME", QStringLiteral("relative/ignored"));
    EXPECT_TRUE(UserDataDirectory().endsWith(QStringLiteral("/.local/share/veranth")));
}

TEST(PlatformFileFilter, ConvertsPairsToQtFilters) {
    EXPECT_EQ(ConvertFileFilter(QStringLiteral("Access Files (*.mdb)|*.mdb|All Files (*.*)|*.*")),
              (QStringList{QStringLiteral("Access Files (*.mdb)"), QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(ConvertFileFilter(QStringLiteral("Text|*.txt;*.csv")), QStringList{QStringLiteral("Text (*.txt *.csv)")});
    EXPECT_TRUE(ConvertFileFilter(QString()).isEmpty());
}

}  // namespace
}  // namespace veranth::platform
