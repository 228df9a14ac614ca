#include "cli/cli_app.h"

#include "platform/site_profile.h"
#include "platform/support_password.h"
#include "tests/support/temp_env.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <gtest/gtest.h>

namespace veranth::cli {
namespace {

struct CliRun {
    int status = -1;
    QString out, err;
};

CliRun RunIn(const QStringList& args, const QString& input = QString()) {
    CliRun run;
    QString in = input;
    QTextStream outStream(&run.out), errStream(&run.err), inStream(&in);
    run.status = RunCli(args, outStream, errStream, inStream);
    outStream.flush();
    errStream.flush();
    return run;
}

TEST(CliApp, HelpVersionAndUsageErrors) {
    CliRun r = RunIn({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Usage: veranth-cli")));

    r = RunIn({QStringLiteral("--version")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("veranth-cli "))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("SQLite")));

    r = RunIn({});
    EXPECT_EQ(r.status, 2);
    r = RunIn({QStringLiteral("frobnicate")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("unknown command 'frobnicate'")));
    r = RunIn({QStringLiteral("--answer"), QStringLiteral("maybe"), QStringLiteral("run")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("'maybe' is not an answer")));
}

TEST(CliApp, SupportPasswordSetFromAnswersOrInput) {
    testing::TempDir site;
    CliRun r = RunIn({QStringLiteral("--site"), site.Path(), QStringLiteral("support-password"), QStringLiteral("set"),
                   QStringLiteral("--answer"), QStringLiteral("text:Open Sesame"), QStringLiteral("--answer"),
                   QStringLiteral("text:Open Sesame")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(platform::SupportPasswordChecker(site.Path()).Check(QStringLiteral("Open Sesame")));

    // Typed twice on standard input, the second time differently: nothing changes.
    r = RunIn({QStringLiteral("--site"), site.Path(), QStringLiteral("support-password"), QStringLiteral("set")},
              QStringLiteral("first\nsecond\n"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Error 5: The two passwords differ"))) << r.err.toStdString();
    EXPECT_TRUE(platform::SupportPasswordChecker(site.Path()).Check(QStringLiteral("Open Sesame")));

    r = RunIn({QStringLiteral("--site"), site.Path(), QStringLiteral("support-password"), QStringLiteral("set")}, QStringLiteral("new\nnew\n"));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(platform::SupportPasswordChecker(site.Path()).Check(QStringLiteral("new")));

    r = RunIn({QStringLiteral("--site"), site.Path(), QStringLiteral("support-password"), QStringLiteral("clear")});
    EXPECT_EQ(r.status, 2);
}

TEST(CliApp, DemoSiteWritesAProfileAndNeverOverwritesOne) {
    testing::TempDir root;
    const QString dir = root.File(QStringLiteral("demo"));
    CliRun r = RunIn({QStringLiteral("demo-site"), dir});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto read = [&](const char* key) {
        return platform::ReadSiteSetting(QStringLiteral("Database Paths"), QLatin1String(key), dir);
    };
    EXPECT_EQ(read("Database Type"), QStringLiteral("0"));
    EXPECT_EQ(read("Main"), dir + QStringLiteral("/data/"));
    EXPECT_EQ(read("Local"), dir + QStringLiteral("/local/"));
    EXPECT_EQ(read("Letters"), QString());
    for (const char* file : {"/data/Mainqor.mdb", "/data/SLettqor.mdb", "/data/Annuity.mdb", "/data/CTPqor.mdb", "/local/localqor.mdb",
                             "/local/qor.mdw"})
        EXPECT_TRUE(QFile::exists(dir + QLatin1String(file))) << file;
    // The main database holds a sample firm the utilities can work on.
    r = RunIn({QStringLiteral("-d"), dir + QStringLiteral("/data/Mainqor"), QStringLiteral("sql"), QStringLiteral("SELECT Count(*) AS N FROM Clients")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_GT(r.out.section(QLatin1Char('\n'), 1, 1).toInt(), 100) << r.out.toStdString();

    r = RunIn({QStringLiteral("demo-site"), dir});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Error 58: "))) << r.err.toStdString();
}

TEST(CliApp, TheInstalledBinaryKeepsTheExitStatusContract) {
    const QString bin = QStringLiteral(VERANTH_TEST_BIN_DIR "/veranth-cli");
    ASSERT_TRUE(QFile::exists(bin)) << bin.toStdString();
    testing::TempDir root;
    QProcess process;
    process.start(bin, {QStringLiteral("demo-site"), root.File(QStringLiteral("s"))});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    process.start(bin, {QStringLiteral("demo-site"), root.File(QStringLiteral("s"))});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().startsWith("Error 58: "));
}

}  // namespace
}  // namespace veranth::cli
