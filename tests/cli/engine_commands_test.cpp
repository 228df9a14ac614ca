#include "cli/cli_app.h"

#include "engine/database.h"
#include "engine/dbengine.h"
#include "engine/field_type.h"
#include "engine/value.h"
#include "tests/support/temp_env.h"

#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

namespace veranth::cli {
namespace {

using engine::FieldType;

struct Result {
    int status = -1;
    QString out, err;
};

Result Cli(const QStringList& args) {
    Result r;
    QString in;
    QTextStream out(&r.out), err(&r.err), input(&in);
    r.status = RunCli(args, out, err, input);
    out.flush();
    err.flush();
    return r;
}

// A file with a Clients table (ClientRef Long primary key, Name Text 30 unique, Balance Currency)
// and two rows.
class CliEngineCommands : public ::testing::Test {
protected:
    testing::TempDir dir;
    QString file = dir.File(QStringLiteral("corvane.mdb"));

    void SetUp() override {
        engine::DBEngine engine;
        auto db = engine.createDatabase(file);
        auto t = db->createTableDef(QStringLiteral("Clients"));
        t->fields().append(t->createField(QStringLiteral("ClientRef"), FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("Name"), FieldType::Text, 30));
        t->fields().append(t->createField(QStringLiteral("Balance"), FieldType::Currency));
        auto pk = t->createIndex(QStringLiteral("PrimaryKey"));
        pk->setFields(QStringLiteral("ClientRef"));
        pk->setPrimary(true);
        t->indexes().append(pk);
        auto byName = t->createIndex(QStringLiteral("ByName"));
        byName->setFields(QStringLiteral("Name"));
        byName->setUnique(true);
        t->indexes().append(byName);
        db->tableDefs().append(t);
        auto rs = db->openRecordset(QStringLiteral("Clients"), engine::RecordsetType::Dynaset);
        for (const auto& [ref, name] : {std::pair{1, "Jones"}, std::pair{2, "Tab\tName"}}) {
            rs->addNew();
            rs->field(QStringLiteral("ClientRef"))->setValue(engine::Value::longValue(ref));
            rs->field(QStringLiteral("Name"))->setValue(engine::Value(QString::fromUtf8(name)));
            rs->update();
        }
        rs->close();
        db->close();
    }
    Result OnFile(QStringList args) {
        args.prepend(file);
        args.prepend(QStringLiteral("-d"));
        return Cli(args);
    }
};

TEST_F(CliEngineCommands, ListsTablesFieldsAndIndexes) {
    Result r = OnFile({QStringLiteral("tables")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Clients\n"));
    r = OnFile({QStringLiteral("tables"), QStringLiteral("--system")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("MSys"))) << r.out.toStdString();
    r = OnFile({QStringLiteral("fields"), QStringLiteral("clients")});
    EXPECT_EQ(r.out, QStringLiteral("ClientRef\tLong\t4\nName\tText\t30\nBalance\tCurrency\t8\n"));
    r = OnFile({QStringLiteral("indexes"), QStringLiteral("Clients")});
    EXPECT_EQ(r.out, QStringLiteral("PrimaryKey\tClientRef\tPrimary, Unique\nByName\tName\tUnique\n"));
    r = OnFile({QStringLiteral("queries")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QString());
}

TEST_F(CliEngineCommands, SqlPrintsRowsAndCountsAndDryRunChangesNothing) {
    Result r = OnFile({QStringLiteral("sql"), QStringLiteral("UPDATE Clients SET Name = 'Smith' WHERE ClientRef = 1"),
                       QStringLiteral("SELECT ClientRef, Name, Balance FROM Clients ORDER BY ClientRef")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1 row(s) affected\nClientRef\tName\tBalance\n1\tSmith\t\n2\tTab\\tName\t\n"));

    r = OnFile({QStringLiteral("--dry-run"), QStringLiteral("sql"), QStringLiteral("DELETE FROM Clients")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("2 row(s) affected\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("rolled back")));
    r = OnFile({QStringLiteral("sql"), QStringLiteral("SELECT ClientRef FROM Clients")});
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 3) << "both rows are still there";
}

TEST_F(CliEngineCommands, FailuresPrintTheEngineErrorAndExitOne) {
    const struct {
        QStringList args;
        const char* start;
    } cases[] = {
        {{QStringLiteral("fields"), QStringLiteral("Nowhere")}, "Error 3265: "},
        {{QStringLiteral("sql"), QStringLiteral("SELECT * FROM Nowhere")}, "Error "},
    };
    for (const auto& c : cases) {
        const Result r = OnFile(c.args);
        EXPECT_EQ(r.status, 1) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.startsWith(QLatin1String(c.start))) << r.err.toStdString();
    }
    const Result missing = Cli({QStringLiteral("-d"), dir.File(QStringLiteral("absent.mdb")), QStringLiteral("tables")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.startsWith(QStringLiteral("Error 3024: "))) << missing.err.toStdString();
    const Result noDatabase = Cli({QStringLiteral("tables")});
    EXPECT_EQ(noDatabase.status, 1);
    EXPECT_TRUE(noDatabase.err.contains(QStringLiteral("--database")));
}

TEST_F(CliEngineCommands, CreateCompactAndRepair) {
    const QString fresh = dir.File(QStringLiteral("fresh"));
    Result r = Cli({QStringLiteral("create"), fresh});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(fresh + QStringLiteral(".mdb")));
    r = Cli({QStringLiteral("compact"), file});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = Cli({QStringLiteral("compact"), file, dir.File(QStringLiteral("copy.mdb"))});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = Cli({QStringLiteral("-d"), dir.File(QStringLiteral("copy.mdb")), QStringLiteral("sql"), QStringLiteral("SELECT Name FROM Clients WHERE ClientRef = 1")});
    EXPECT_EQ(r.out, QStringLiteral("Name\nJones\n"));
    r = Cli({QStringLiteral("repair"), file});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("sound"))) << r.out.toStdString();
}

TEST_F(CliEngineCommands, WorkgroupUsersAndDatabasePasswords) {
    const QString mdw = dir.File(QStringLiteral("qor.mdw"));
    ASSERT_EQ(Cli({QStringLiteral("workgroup"), QStringLiteral("create"), mdw}).status, 0);
    ASSERT_EQ(Cli({QStringLiteral("workgroup"), QStringLiteral("add-user"), mdw, QStringLiteral("jsmith"), QStringLiteral("pw")}).status, 0);
    Result r = OnFile({QStringLiteral("--system-db"), mdw, QStringLiteral("-u"), QStringLiteral("jsmith"), QStringLiteral("-p"), QStringLiteral("pw"),
                       QStringLiteral("tables")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = OnFile({QStringLiteral("--system-db"), mdw, QStringLiteral("-u"), QStringLiteral("jsmith"), QStringLiteral("-p"), QStringLiteral("no"),
                QStringLiteral("tables")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Error 3029: "))) << r.err.toStdString();

    ASSERT_EQ(Cli({QStringLiteral("db-password"), file, QStringLiteral("Dunes")}).status, 0);
    r = OnFile({QStringLiteral("tables")});
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Error 3031: "))) << r.err.toStdString();
    r = OnFile({QStringLiteral("-c"), QStringLiteral(";pwd=Dunes"), QStringLiteral("tables")});
    EXPECT_EQ(r.out, QStringLiteral("Clients\n")) << r.err.toStdString();
    ASSERT_EQ(Cli({QStringLiteral("-c"), QStringLiteral(";pwd=Dunes"), QStringLiteral("db-password"), file, QString()}).status, 0);
    EXPECT_EQ(OnFile({QStringLiteral("tables")}).status, 0);
}

}  // namespace
}  // namespace veranth::cli
