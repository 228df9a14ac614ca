#include "platform/credentials.h"

#include "tests/support/temp_env.h"

#include <QFile>
#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

constexpr auto kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

class PlatformCredentials : public ::testing::Test {
protected:
    testing::TempDir site;
    void WriteCredentials(const QByteArray& text, QFileDevice::Permissions permissions = kOwnerOnly) {
        const QString path = site.Write(QLatin1String(kCredentialsFileName), text);
        QFile::setPermissions(path, permissions);
    }
};

TEST_F(PlatformCredentials, DefaultsWithoutAFile) {
    const CredentialsLoad load = LoadApplicationCredentials(site.Path());
    EXPECT_EQ(load.credentials.login, QStringLiteral("QzRunAdmin"));
    EXPECT_EQ(load.credentials.password, QStringLiteral("SandOfDunes"));
    EXPECT_TRUE(load.warning.isEmpty());
}

TEST_F(PlatformCredentials, OwnerOnlyFileReplacesBothValues) {
    WriteCredentials("[DBCredentials]\nApplicationLogin=corvane_app\nApplicationPassword=\n");
    const CredentialsLoad load = LoadApplicationCredentials(site.Path());
    EXPECT_EQ(load.credentials.login, QStringLiteral("corvane_app"));
    EXPECT_EQ(load.credentials.password, QString()) << "an empty password is a value, not an absence";
    EXPECT_TRUE(load.warning.isEmpty());
}

TEST_F(PlatformCredentials, ReadStopsAtTheFirstMissingValueKeepingWhatCameBefore) {
    WriteCredentials("[DBCredentials]\nApplicationLogin=corvane_app\n");
    const CredentialsLoad load = LoadApplicationCredentials(site.Path());
    EXPECT_EQ(load.credentials.login, QStringLiteral("corvane_app"));
    EXPECT_EQ(load.credentials.password, QStringLiteral("SandOfDunes"));
}

TEST_F(PlatformCredentials, AFileOthersCanReadIsRefused) {
    for (const auto permissions : {kOwnerOnly | QFileDevice::ReadGroup, kOwnerOnly | QFileDevice::ReadOther}) {
        WriteCredentials("[DBCredentials]\nApplicationLogin=leaked\nApplicationPassword=leaked\n", permissions);
        const CredentialsLoad load = LoadApplicationCredentials(site.Path());
        EXPECT_EQ(load.credentials.login, QStringLiteral("QzRunAdmin"));
        EXPECT_EQ(load.credentials.password, QStringLiteral("SandOfDunes"));
        EXPECT_TRUE(load.warning.contains(QStringLiteral("chmod 600"))) << load.warning.toStdString();
    }
}

}  // namespace
}  // namespace veranth::platform
