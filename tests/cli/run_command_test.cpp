#include "cli/cli_app.h"

#include "engine/conversions.h"
#include "engine/dbengine.h"
#include "engine/recordset.h"
#include "tests/fixtures/corvane_sample.h"
#include "tests/fixtures/corvane_schema.h"
#include "tests/support/temp_env.h"

#include <QDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace veranth::cli {
namespace {

struct CliRun {
    int status = -1;
    QString out, err;
};

// A demo site built once per test in a private folder, with the site profile pointing at it.
struct RunFixture {
    testing::TempDir dir;
    QString site = dir.Path() + QStringLiteral("/site");
    QString main;

    RunFixture() {
        CliRun r = Run({QStringLiteral("demo-site"), site});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        main = site + QStringLiteral("/data/Mainqor.mdb");
    }
    CliRun Run(QStringList args) {
        CliRun run;
        QString in;
        QTextStream o(&run.out), e(&run.err), i(&in);
        args.prepend(site);
        args.prepend(QStringLiteral("--site"));
        run.status = RunCli(args, o, e, i);
        o.flush();
        e.flush();
        return run;
    }
    CliRun Utility(const char* name, const QStringList& extra = {}) {
        return Run(QStringList{QStringLiteral("-d"), main, QStringLiteral("run"), QLatin1String(name)} + extra);
    }
    QString Scalar(const QString& query) {
        engine::DBEngine engine;
        auto db = engine.openDatabase(main);
        auto rs = db->openRecordset(query, engine::RecordsetType::Snapshot);
        const QString text = rs->eof() ? QString() : engine::toDisplayText(rs->fieldValue(0));
        rs->close();
        db->close();
        return text;
    }
};

TEST(CliRun, ListNamesTheUtilities) {
    RunFixture f;
    const CliRun r = f.Run({QStringLiteral("run"), QStringLiteral("--list")});
    EXPECT_EQ(r.status, 0);
    for (const char* name : {"change-db-id", "convert-db-id", "time-fees", "update-counters", "clean-tables", "clear-connection"})
        EXPECT_TRUE(r.out.contains(QLatin1String(name) + QLatin1Char('\t'))) << name;
    EXPECT_EQ(f.Run({QStringLiteral("run"), QStringLiteral("frobnicate")}).status, 2);
}

TEST(CliRun, ChangeDatabaseIdTakesTheIdThenTheAnswer) {
    RunFixture f;
    CliRun r = f.Utility("change-db-id", {QStringLiteral("--answer"), QStringLiteral("text:345"), QStringLiteral("--answer"), QStringLiteral("yes")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("[Change Database ID] Database ID -> 345\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("[Database ID Change] You are about to change the database ID for this database.\n\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Continue ? -> yes"))) << r.out.toStdString();
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT BranchID FROM SystemOptions")), QStringLiteral("345"));

    // No answer to the question counts as No.
    r = f.Utility("change-db-id", {QStringLiteral("--answer"), QStringLiteral("text:7")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Continue ? -> no")));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT BranchID FROM SystemOptions")), QStringLiteral("345"));

    r = f.Utility("change-db-id", {QStringLiteral("--answer"), QStringLiteral("text:0"), QStringLiteral("--answer"), QStringLiteral("yes")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("[Database Change] The change to the database was NOT successful.")));
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Error 5: You must enter a valid Database ID!"))) << r.err.toStdString();
}

TEST(CliRun, ConvertNeedsTheSiteToAllowIt) {
    RunFixture f;
    const CliRun r = f.Utility("convert-db-id", {QStringLiteral("--answer"), QStringLiteral("text:345"), QStringLiteral("--answer"), QStringLiteral("yes")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("AllowConvertDBID"))) << r.err.toStdString();
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT BranchID FROM SystemOptions")), QStringLiteral("12"));
}

TEST(CliRun, DryRunListsTheRowsPerTableAndRollsBack) {
    RunFixture f;
    const QString before = f.Scalar(QStringLiteral("SELECT SUM(AmountToCharge) FROM TimeFeeEntries"));
    CliRun r = f.Utility("time-fees", {QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("--dry-run")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("[Time Fee Entry Recalculation] Do you wish to recalculate"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Mainqor.mdb: TimeFeeEntries: "))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("(dry run: every change was rolled back)")));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT SUM(AmountToCharge) FROM TimeFeeEntries")), before);

    r = f.Utility("update-counters", {QStringLiteral("--dry-run")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("[Veranth] Counter Update completed\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Mainqor.mdb: NewCounters: 12800 row(s) affected (12800 added, 0 changed, 0 deleted)")))
        << r.out.toStdString();
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT MAX(CounterID) FROM NewCounters")), QStringLiteral("150"));

    r = f.Utility("clean-tables", {QStringLiteral("--dry-run")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Mainqor.mdb: FirstPage: table dropped"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Mainqor.mdb: DBTables: 4 row(s) affected (0 added, 0 changed, 4 deleted)")))
        << r.out.toStdString();

    // Clear Connection works on the site's own files, which the dry run watches too.
    r = f.Run({QStringLiteral("run"), QStringLiteral("clear-connection"), QStringLiteral("--answer"), QStringLiteral("yes"),
               QStringLiteral("--dry-run")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("[Veranth] Are you sure you wish to clear connection for Smith -> yes"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("localqor.mdb: LocalUser: 1 row(s) affected (0 added, 1 changed, 0 deleted)")))
        << r.out.toStdString();
}

}  // namespace
}  // namespace veranth::cli
