#include "platform/support_password.h"

#include "tests/support/temp_env.h"

#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

TEST(PlatformSupportPassword, NoHashMeansNoPasswordIsAccepted) {
    testing::TempDir site;
    const SupportPasswordChecker checker(site.Path());
    EXPECT_FALSE(checker.IsSet());
    for (const char* typed : {"", "admin", "SandOfDunes"}) EXPECT_FALSE(checker.Check(QLatin1String(typed))) << typed;
}

TEST(PlatformSupportPassword, AcceptsExactlyThePasswordSet) {
    testing::TempDir site;
    const SupportPasswordChecker checker(site.Path());
    QString error;
    ASSERT_TRUE(checker.Set(QStringLiteral("Dune\u00e9 42"), &error)) << error.toStdString();
    EXPECT_TRUE(checker.IsSet());
    EXPECT_TRUE(checker.Check(QStringLiteral("Dune\u00e9 42")));
    for (const char* typed : {"", "dune\xc3\xa9 42", "Dune\xc3\xa9 42 ", "Dune"}) EXPECT_FALSE(checker.Check(QString::fromUtf8(typed))) << typed;
    EXPECT_FALSE(checker.Set(QString(), &error)) << "an empty password would open the gate to anyone";
}

TEST(PlatformSupportPassword, TheHashIsSaltedAndDamagedHashesRefuseEverything) {
    const QString a = HashSupportPassword(QStringLiteral("pw"), QByteArray("saltsaltsaltsalt"), 1000);
    const QString b = HashSupportPassword(QStringLiteral("pw"), QByteArray("SALTSALTSALTSALT"), 1000);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.startsWith(QStringLiteral("pbkdf2-sha256$1000$")));
    EXPECT_TRUE(VerifySupportPassword(QStringLiteral("pw"), a + QStringLiteral("\n")));
    const QString damaged[] = {QString(), QStringLiteral("pw"), a.left(a.size() - 4), QStringLiteral("md5$1000$") + a.section(QLatin1Char('$'), 2),
                               QStringLiteral("pbkdf2-sha256$0$") + a.section(QLatin1Char('$'), 2)};
    for (const QString& stored : damaged) EXPECT_FALSE(VerifySupportPassword(QStringLiteral("pw"), stored)) << stored.toStdString();
}

TEST(PlatformSupportPassword, AnUnwritableSiteSaysWhy) {
    testing::TempDir site;
    const QString blocker = site.Write(QStringLiteral("file"), "x");
    QString error;
    EXPECT_FALSE(SupportPasswordChecker(blocker + QStringLiteral("/sub")).Set(QStringLiteral("pw"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace veranth::platform
