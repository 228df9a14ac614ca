#include "platform/site_profile.h"

#include "tests/support/temp_env.h"

#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

using testing::ScopedEnv;
using testing::TempDir;

TEST(PlatformTrimProfileString, DropsTrailingNulsThenOuterSpaces) {
    const struct {
        QString in, out;
    } cases[] = {
        {QStringLiteral("  C:\\data\\  "), QStringLiteral("C:\\data\\")},
        {QStringLiteral("value") + QString(3, QChar(0)), QStringLiteral("value")},
        {QStringLiteral(" padded ") + QString(2, QChar(0)), QStringLiteral("padded")},
        // A NUL inside the text is not trailing and stays.
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QStringLiteral("a") + QChar(0) + QStringLiteral("b")},
        // Only spaces are blanks here; a tab is part of the value.
        {QStringLiteral("\tx "), QStringLiteral("\tx")},
        {QString(), QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(TrimProfileString(c.in), c.out) << c.in.toStdString();
}

class PlatformSiteProfile : public ::testing::Test {
protected:
    TempDir site;
    void WriteProfile(const QByteArray& text, const QString& name = QStringLiteral("QOR32.INI")) { site.Write(name, text); }
    QString Read(const char* section, const char* key) {
        return ReadSiteSetting(QLatin1String(section), QLatin1String(key), site.Path());
    }
};

TEST_F(PlatformSiteProfile, ReadsSectionsAndKeysWithoutRegardToCase) {
    WriteProfile("; comment\r\n[Database Paths]\r\nDatabase Type = 1\r\nMain=  \\\\server\\share\\  \r\n"
                 "[customise]\r\nALLOWCONVERTDBID=True\r\n");
    EXPECT_EQ(Read("Database Paths", "Database Type"), QStringLiteral("1"));
    EXPECT_EQ(Read("database paths", "main"), QStringLiteral("\\\\server\\share\\"));
    EXPECT_EQ(Read("Customise", "AllowConvertDBID"), QStringLiteral("True"));
    EXPECT_EQ(Read("Customise", "Main"), QString()) << "a key of another section must not be found";
    EXPECT_EQ(Read("Missing", "Main"), QString());
}

TEST_F(PlatformSiteProfile, MissingFileReadsEmpty) { EXPECT_EQ(Read("Database Paths", "Main"), QString()); }

TEST_F(PlatformSiteProfile, LowerCaseFileNameIsTheSameFile) {
    WriteProfile("[Database Paths]\nLocal=/srv/local/\n", QStringLiteral("qor32.ini"));
    EXPECT_EQ(Read("Database Paths", "Local"), QStringLiteral("/srv/local/"));
}

TEST_F(PlatformSiteProfile, LongValueIsCutTo254Characters) {
    const QByteArray longValue(400, 'x');
    WriteProfile("[Database Paths]\nMain=" + longValue + "\n");
    EXPECT_EQ(Read("Database Paths", "Main").size(), 254);
}

TEST_F(PlatformSiteProfile, QuotesAroundAValueAreDropped) {
    WriteProfile("[Database Paths]\nMain=\" C:\\data\\ \"\nLocal='x'\nCTP=\"unbalanced\n");
    EXPECT_EQ(Read("Database Paths", "Main"), QStringLiteral("C:\\data\\"));
    EXPECT_EQ(Read("Database Paths", "Local"), QStringLiteral("x"));
    EXPECT_EQ(Read("Database Paths", "CTP"), QStringLiteral("\"unbalanced"));
}

TEST_F(PlatformSiteProfile, AnsiFileFromAWindowsWorkstationDecodes) {
    WriteProfile("[Database Paths]\nMain=C:\\Caf\xe9\\\n");
    EXPECT_EQ(Read("Database Paths", "Main"), QStringLiteral("C:\\Caf\u00e9\\"));
}

TEST_F(PlatformSiteProfile, SiteDirectoryComesFromTheEnvironment) {
    WriteProfile("[Database Paths]\nMain=/demo/\n");
    const ScopedEnv env("VERANTH_SITE_DIR", site.Path());
    EXPECT_EQ(ReadSiteSetting(QStringLiteral("Database Paths"), QStringLiteral("Main")), QStringLiteral("/demo/"));
}

}  // namespace
}  // namespace veranth::platform
