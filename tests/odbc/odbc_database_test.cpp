#include "engine/dbengine.h"
#include "engine/errors.h"
#include "engine/odbc/odbc_dialect.h"
#include "engine/odbc/odbc_kind.h"
#include "tests/odbc/odbc_test_env.h"

#include <gtest/gtest.h>

namespace veranth::engine {
namespace {

using testing::OdbcTestEnv;

class OdbcDatabaseTest : public ::testing::Test {
protected:
    OdbcTestEnv odbc;
    DBEngine engine;

    std::shared_ptr<Database> open(const QString& connect) {
        return engine.defaultWorkspace()->openDatabase(QString(), true, false, QStringLiteral("ODBC;") + connect);
    }
    static QStringList rows(Database& db, const QString& sql, int options = 0) {
        auto rs = db.openRecordset(sql, RecordsetType::Snapshot, options);
        QStringList out;
        for (; !rs->eof(); rs->moveNext()) {
            QStringList cells;
            for (int i = 0; i < rs->fields().count(); ++i) {
                const Value v = rs->field(i)->value();
                cells << (v.isNull() ? QStringLiteral("<null>") : v.isText() ? v.rawString() : QString::number(v.type() == ValueType::Double || v.type() == ValueType::Date || v.type() == ValueType::Single ? v.rawDouble() : v.type() == ValueType::Currency ? v.rawCurrency().toDouble() : static_cast<double>(v.rawInteger()), 'g', 15));
            }
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
    void makeClients(Database& db) {
        db.execute(QStringLiteral("CREATE TABLE Clients (ClientRef INTEGER PRIMARY KEY, Surname VARCHAR(40), Balance DOUBLE, Joined TIMESTAMP)"),
                   exec_option::kSqlPassThrough);
        db.execute(QStringLiteral("INSERT INTO Clients VALUES (1, 'Smith', 10, '2004-01-05 00:00:00'), (2, 'Jones', 20, '2004-03-01 00:00:00')"),
                   exec_option::kSqlPassThrough);
    }
};

TEST_F(OdbcDatabaseTest, ServerTablesBecomeTableDefsWithTheEngineTypes) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto db = open(odbc.sqliteConnect());
    makeClients(*db);
    db->tableDefs().refresh();
    auto clients = db->tableDefs().item(QStringLiteral("clients"));
    EXPECT_EQ(clients->fields().item(QStringLiteral("ClientRef"))->type(), FieldType::Long);
    EXPECT_EQ(clients->fields().item(QStringLiteral("Surname"))->type(), FieldType::Text);
    EXPECT_EQ(clients->fields().item(QStringLiteral("Surname"))->size(), 40);
    EXPECT_EQ(clients->fields().item(QStringLiteral("Balance"))->type(), FieldType::Double);
    EXPECT_EQ(clients->fields().item(QStringLiteral("Joined"))->type(), FieldType::Date);
    bool primary = false;
    for (const auto& index : clients->indexes()) primary = primary || (index->primary() && index->fields() == QStringLiteral("ClientRef"));
    EXPECT_TRUE(primary);
    EXPECT_EQ(clients->recordCount(), 2);

    EXPECT_TRUE(db->connect().startsWith(QStringLiteral("ODBC;")));
    EXPECT_TRUE(db->name().contains(odbc.sqliteFile())) << db->name().toStdString();
}

TEST_F(OdbcDatabaseTest, DynasetOnAKeyedTableAddsEditsAndDeletesRows) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto db = open(odbc.sqliteConnect());
    makeClients(*db);
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM Clients WHERE Surname <> \"Nobody\" ORDER BY ClientRef"),
                                RecordsetType::Dynaset);
    ASSERT_TRUE(rs->updatable());
    rs->addNew();
    rs->field(QStringLiteral("ClientRef"))->setValue(Value::longValue(3));
    rs->field(QStringLiteral("Surname"))->setValue(Value(QStringLiteral("O'Brien")));
    rs->field(QStringLiteral("Joined"))->setValue(Value(QStringLiteral("16/Apr/2004")));
    rs->update();
    rs->moveFirst();
    rs->edit();
    rs->field(QStringLiteral("Surname"))->setValue(Value(QStringLiteral("Smyth")));
    rs->update();
    rs->moveNext();
    rs->remove();
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT ClientRef, Surname FROM Clients ORDER BY ClientRef")),
              (QStringList{"1|Smyth", "3|O'Brien"}));
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT Joined FROM Clients WHERE ClientRef = 3")),
              (QStringList{QString::number(38093)}));  // 16 Apr 2004
}

TEST_F(OdbcDatabaseTest, DialectStatementsRunOnTheServerAsOdbcSql) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto db = open(odbc.sqliteConnect());
    makeClients(*db);
    db->execute(QStringLiteral("UPDATE [Clients] SET Surname = \"Late\" WHERE Joined > #02/01/2004# AND Surname Like 'J*'"));
    EXPECT_EQ(db->recordsAffected(), 1);
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT Surname FROM Clients WHERE ClientRef = 2")), (QStringList{"Late"}));
    EXPECT_THROW(db->execute(QStringLiteral("SELECT * FROM Clients")), EngineError);
    // What has no ODBC form says so instead of reaching the server as something else.
    try {
        db->execute(QStringLiteral("UPDATE Clients SET Surname = Surname & 'x'"));
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("&"))) << e.description().toStdString();
    }
}

TEST_F(OdbcDatabaseTest, PassThroughSendsTextAsItStandsAndABareNameReadsTheTable) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto db = open(odbc.sqliteConnect());
    makeClients(*db);
    // Server SQL the dialect would not accept (|| is no dialect operator).
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT Surname || '!' FROM Clients ORDER BY 1"), rs_option::kSqlPassThrough),
              (QStringList{"Jones!", "Smith!"}));
    EXPECT_EQ(rows(*db, QStringLiteral("Clients"), rs_option::kSqlPassThrough).size(), 2);
    db->execute(QStringLiteral("UPDATE Clients SET Balance = Balance + 1"), exec_option::kSqlPassThrough);
    EXPECT_EQ(db->recordsAffected(), 2);
}

TEST_F(OdbcDatabaseTest, SnapshotStaysAsOpenedWhenTheTableChanges) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto db = open(odbc.sqliteConnect());
    makeClients(*db);
    auto snapshot = db->openRecordset(QStringLiteral("SELECT Surname FROM Clients ORDER BY ClientRef"), RecordsetType::Snapshot);
    EXPECT_FALSE(snapshot->updatable());
    db->execute(QStringLiteral("UPDATE Clients SET Surname = 'Changed'"));
    QStringList seen;
    for (; !snapshot->eof(); snapshot->moveNext()) seen << snapshot->field(0)->value().rawString();
    EXPECT_EQ(seen, (QStringList{"Smith", "Jones"}));
}

TEST_F(OdbcDatabaseTest, UnknownSourcesAndPromptsGiveTheEngineErrors) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    try {
        open(QStringLiteral("DSN=NotRegistered;UID=sa;PWD=;"));
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), err::kOdbcConnectionFailed);
        EXPECT_TRUE(e.description().contains(QStringLiteral("ODBC--connection to 'NotRegistered' failed")));
    }
    auto kind = odbc::odbcKindOf(*engine.context());
    ASSERT_TRUE(kind);
    QString asked;
    kind->setPrompt([&](const QString& given) -> std::optional<QString> {
        asked = given;
        return odbc.sqliteConnect();
    });
    auto db = engine.defaultWorkspace()->openDatabase(QString(), false, false, QStringLiteral("odbc;"));
    EXPECT_TRUE(db->connect().contains(odbc.sqliteFile()));
    kind->setPrompt([](const QString&) { return std::optional<QString>(); });
    try {
        engine.defaultWorkspace()->openDatabase(QString(), false, false, QStringLiteral("odbc;"));
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), err::kCancelled);
    }
}

TEST(OdbcDialect, StatementsBecomeOdbcEscapes) {
    struct Case {
        const char* dialect;
        const char* odbc;
    } cases[] = {
        {"SELECT [Last Name] FROM [Order Details]", R"(SELECT "Last Name" FROM "Order Details")"},
        {"UPDATE T SET d = #16 Apr 2004# WHERE x = \"it's\"", "UPDATE T SET d = {d '2004-04-16'} WHERE x = 'it''s'"},
        {"DELETE FROM T WHERE d < #01/05/2004 10:30#", "DELETE FROM T WHERE d < {ts '2004-01-05 10:30:00'}"},
        {"SELECT * FROM T WHERE Name Like 'A*b?' AND Flag = True", "SELECT * FROM T WHERE Name Like 'A%b_' AND Flag = 1"},
        {"SELECT * FROM T WHERE Name Like '100%*'", R"(SELECT * FROM T WHERE Name Like '100\%%' {escape '\'})"},
        {"SELECT UCase(Trim(Name)), Left(Code, 2) FROM T", "SELECT {fn UCASE({fn LTRIM({fn RTRIM(Name)})})}, {fn LEFT(Code, 2)} FROM T"},
        {"SELECT DISTINCTROW a FROM T LEFT JOIN U ON T.a = U.a", "SELECT DISTINCT a FROM T LEFT JOIN U ON T.a = U.a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(odbc::toDriverSql(QString::fromUtf8(c.dialect), QStringLiteral("\"")).value_or(QStringLiteral("<none>")),
                  QString::fromUtf8(c.odbc))
            << c.dialect;
    for (const char* refused : {"SELECT a & b FROM T", "SELECT IIf(a, 1, 2) FROM T", "SELECT * FROM T IN '' 'ODBC;DSN=x'"})
        EXPECT_FALSE(odbc::toDriverSql(QString::fromUtf8(refused), QStringLiteral("\""))) << refused;
}

// PostgreSQL: a server with real types and transactions.
TEST_F(OdbcDatabaseTest, ServerTypesMapToTheEngineCodes) {
    VERANTH_REQUIRE_POSTGRES_ODBC(odbc);
    auto db = open(odbc.postgresConnect());
    db->execute(QStringLiteral("CREATE TABLE Accounts (AccountRef integer PRIMARY KEY, Name varchar(20), Notes text, "
                               "Balance numeric(19,4), Opened timestamp, Active boolean, Small smallint, Rate double precision)"),
                exec_option::kSqlPassThrough);
    db->execute(QStringLiteral("INSERT INTO Accounts VALUES (1, 'Cash', 'x', 12345.6789, '2004-04-16 10:30:00', true, 3, 0.5)"),
                exec_option::kSqlPassThrough);
    db->tableDefs().refresh();
    auto t = db->tableDefs().item(QStringLiteral("accounts"));
    const std::pair<const char*, FieldType> expected[] = {
        {"accountref", FieldType::Long}, {"name", FieldType::Text},      {"notes", FieldType::Memo},
        {"balance", FieldType::Currency}, {"opened", FieldType::Date},   {"active", FieldType::Boolean},
        {"small", FieldType::Integer},   {"rate", FieldType::Double},
    };
    for (const auto& [field, type] : expected) EXPECT_EQ(t->fields().item(QLatin1String(field))->type(), type) << field;
    EXPECT_EQ(static_cast<int>(t->fields().item(QStringLiteral("accountref"))->type()), 4);

    auto rs = db->openRecordset(QStringLiteral("accounts"), RecordsetType::Snapshot);
    EXPECT_EQ(rs->field(QStringLiteral("balance"))->value().rawCurrency().scaled, 123456789);
    EXPECT_TRUE(rs->field(QStringLiteral("active"))->value().rawBool());
    EXPECT_NEAR(rs->field(QStringLiteral("opened"))->value().rawDouble(), 38093 + 10.5 / 24, 1e-9);
    EXPECT_TRUE(db->transactions());
}

TEST_F(OdbcDatabaseTest, WorkspaceTransactionsIncludePassThroughAndNest) {
    VERANTH_REQUIRE_POSTGRES_ODBC(odbc);
    auto db = open(odbc.postgresConnect());
    db->execute(QStringLiteral("CREATE TABLE Users (UserRef integer PRIMARY KEY, LoggedOn integer)"), exec_option::kSqlPassThrough);
    db->execute(QStringLiteral("INSERT INTO Users VALUES (1, 1), (2, 1)"), exec_option::kSqlPassThrough);
    auto ws = engine.defaultWorkspace();

    ws->beginTrans();
    db->execute(QStringLiteral("UPDATE Users SET LoggedOn = 0 WHERE UserRef= 1"), exec_option::kSqlPassThrough);
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM Users WHERE UserRef = 2"), RecordsetType::Dynaset);
    rs->edit();
    rs->field(QStringLiteral("LoggedOn"))->setValue(Value::longValue(0));
    rs->update();
    ws->rollback();
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT LoggedOn FROM Users ORDER BY UserRef")), (QStringList{"1", "1"}));

    ws->beginTrans();
    db->execute(QStringLiteral("UPDATE Users SET LoggedOn = 5 WHERE UserRef = 1"));
    ws->beginTrans();
    db->execute(QStringLiteral("UPDATE Users SET LoggedOn = 6 WHERE UserRef = 2"));
    ws->rollback();  // the inner level only
    ws->commitTrans();
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT LoggedOn FROM Users ORDER BY UserRef")), (QStringList{"5", "1"}));
    // The dialect's functions as the driver's escapes.
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT UserRef FROM Users WHERE Left(UCase(Trim(' ab ')), 1) = 'A' ORDER BY UserRef")),
              (QStringList{"1", "2"}));
}

TEST_F(OdbcDatabaseTest, TheSqlServerDriverNameReachesTheServerWithCredentialsInConnect) {
    VERANTH_REQUIRE_POSTGRES_ODBC(odbc);
    const QString connect = QStringLiteral("DRIVER={SQL Server};SERVER=%1;PORT=%2;DATABASE=%3;UID=%4;PWD=%5")
                                .arg(odbc.postgresServer(), odbc.postgresPort(), odbc.postgresDatabase(), odbc.postgresUser(),
                                     odbc.postgresPassword());
    auto db = open(connect);
    // What reopening a sibling and the direct connection read from Connect and Name.
    EXPECT_TRUE(db->connect().contains(QStringLiteral("UID=") + odbc.postgresUser()));
    EXPECT_TRUE(db->connect().contains(QStringLiteral("PWD=") + odbc.postgresPassword()));
    EXPECT_TRUE(db->connect().toUpper().contains(QStringLiteral("DATABASE=") + odbc.postgresDatabase().toUpper()));
    EXPECT_TRUE(db->name().toUpper().contains(odbc.postgresDatabase().toUpper()));
    EXPECT_FALSE(db->name().contains(odbc.postgresPassword()));
    auto again = open(db->connect().mid(5));
    EXPECT_TRUE(again->isOpen());
}

}  // namespace
}  // namespace veranth::engine
