#include "cli/options.h"

#include <gtest/gtest.h>

namespace veranth::cli {
namespace {

QStringList Args(std::initializer_list<const char*> list) {
    QStringList args;
    for (const char* a : list) args.append(QString::fromUtf8(a));
    return args;
}

TEST(CliOptions, GlobalOptionsStandBeforeOrAfterTheCommand) {
    const ParseResult r = ParseCommandLine(Args({"-d", "/srv/Mainqor", "run", "time-fees", "--answer", "yes", "--dry-run",
                                                 "--answer=text:5", "--connect", ";pwd=x", "-r", "--site=/etc/site"}));
    ASSERT_TRUE(r.options) << r.error.toStdString();
    EXPECT_EQ(r.options->database, QStringLiteral("/srv/Mainqor"));
    EXPECT_EQ(r.options->connect, QStringLiteral(";pwd=x"));
    EXPECT_EQ(r.options->site, QStringLiteral("/etc/site"));
    EXPECT_TRUE(r.options->readOnly);
    EXPECT_TRUE(r.options->dryRun);
    EXPECT_EQ(r.options->command, QStringLiteral("run"));
    EXPECT_EQ(r.options->arguments, QStringList{QStringLiteral("time-fees")});
    EXPECT_EQ(r.options->answers, (QStringList{QStringLiteral("yes"), QStringLiteral("text:5")}));
}

TEST(CliOptions, CommandFlagsAndDoubleDashAreLeftToTheCommand) {
    ParseResult r = ParseCommandLine(Args({"tables", "--system"}));
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->arguments, QStringList{QStringLiteral("--system")});

    r = ParseCommandLine(Args({"-d", "x", "sql", "--", "-- not an option", "--dry-run"}));
    ASSERT_TRUE(r.options);
    EXPECT_FALSE(r.options->dryRun);
    EXPECT_EQ(r.options->arguments, (QStringList{QStringLiteral("-- not an option"), QStringLiteral("--dry-run")}));
}

TEST(CliOptions, ErrorsNameTheOption) {
    const struct {
        std::initializer_list<const char*> args;
        const char* error;
    } cases[] = {{{"--bogus", "sql"}, "unknown option --bogus"},
                 {{"sql", "-d"}, "-d needs a value"},
                 {{"--answer"}, "--answer needs a value"},
                 {{"--dry-run=yes", "sql"}, "--dry-run takes no value"}};
    for (const auto& c : cases) {
        const ParseResult r = ParseCommandLine(Args(c.args));
        EXPECT_FALSE(r.options);
        EXPECT_EQ(r.error, QLatin1String(c.error));
    }
}

TEST(CliOptions, UsageDocumentsEveryCommandAndOption) {
    const QString usage = UsageText();
    for (const char* word : {"--database", "--connect", "--read-only", "--user", "--password", "--system-db", "--site", "--answer",
                             "--dry-run", "sql STATEMENT", "tables [--system]", "queries", "fields TABLE", "indexes TABLE", "create FILE",
                             "compact SOURCE [DEST]", "repair FILE", "run UTILITY", "demo-site DIR", "support-password set",
                             "workgroup create FILE", "workgroup add-user", "db-password FILE NEW", "document-transfer"})
        EXPECT_TRUE(usage.contains(QLatin1String(word))) << word;
}

}  // namespace
}  // namespace veranth::cli
