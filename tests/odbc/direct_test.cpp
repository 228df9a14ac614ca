#include "engine/direct/direct.h"
#include "engine/errors.h"
#include "tests/odbc/odbc_test_env.h"

#include <gtest/gtest.h>

#include <cstring>

namespace veranth::engine::direct {
namespace {

using testing::OdbcTestEnv;

class DirectLayerTest : public ::testing::Test {
protected:
    OdbcTestEnv odbc;

    // Every value read back through a fresh connection, so nothing cached answers for the server.
    std::vector<QString> column(const QString& connect, const QString& sql) {
        auto env = Environment::create();
        auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, connect);
        auto rs = cn->openResultset(sql);
        std::vector<QString> out;
        for (; !rs->eof(); rs->moveNext()) out.push_back(rs->value(0).isNull() ? QStringLiteral("<null>") : rs->value(0).rawString());
        env->close();
        return out;
    }
};

TEST_F(DirectLayerTest, ForwardOnlyResultReadsServerTypesAndUnicodeText) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto env = Environment::create(QStringLiteral("SQLSERVER"));
    auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.sqliteConnect());
    cn->execute(QStringLiteral("CREATE TABLE Clients (ClientRef INTEGER, Surname VARCHAR(40), Balance DOUBLE)"));
    cn->execute(QStringLiteral("INSERT INTO Clients VALUES (12000001, 'Brontë', 10.5), (12000002, 'O''Neil', NULL)"));
    EXPECT_EQ(cn->rowsAffected(), 2);

    auto rs = cn->openResultset(QStringLiteral("SELECT ClientRef, Surname, Balance FROM Clients ORDER BY ClientRef"));
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->value(0).type(), ValueType::Long);
    EXPECT_EQ(rs->value(QStringLiteral("clientref")).rawInteger(), 12000001);
    EXPECT_EQ(rs->value(1).rawString(), QStringLiteral("Brontë"));
    EXPECT_DOUBLE_EQ(rs->value(2).rawDouble(), 10.5);
    rs->moveNext();
    EXPECT_EQ(rs->value(1).rawString(), QStringLiteral("O'Neil"));
    EXPECT_TRUE(rs->value(2).isNull());
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->rowCount(), 2);
    EXPECT_THROW(rs->value(0), EngineError);
    EXPECT_THROW(rs->edit(), EngineError);  // forward-only sets are read-only
}

TEST_F(DirectLayerTest, ValueComparedDynamicSetWritesEachRowBackIncludingDuplicates) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto env = Environment::create();
    auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.sqliteConnect());
    cn->execute(QStringLiteral("CREATE TABLE Accounts (FKeyRef INTEGER, Name VARCHAR(20))"));
    // Two identical rows: a value-compared update of the first changes both.
    cn->execute(QStringLiteral("INSERT INTO Accounts VALUES (7000001, 'a'), (7000001, 'a'), (7000002, 'b')"));

    env->beginTrans();
    auto rs = cn->openResultset(QStringLiteral("SELECT FKeyRef FROM Accounts WHERE FKeyRef >= 7000000"), cursor::kDynamic,
                                lock::kValues);
    ASSERT_TRUE(rs->updatable());
    int rows = 0;
    for (; !rs->eof(); rs->moveNext(), ++rows) {
        rs->edit();
        rs->setValue(QStringLiteral("FKeyRef"), Value::longValue(static_cast<std::int32_t>(rs->value(0).rawInteger() + 5000000)));
        rs->update();
    }
    env->commitTrans();
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(column(odbc.sqliteConnect(), QStringLiteral("SELECT CAST(FKeyRef AS TEXT) FROM Accounts ORDER BY FKeyRef")),
              (std::vector<QString>{"12000001", "12000001", "12000002"}));
}

TEST_F(DirectLayerTest, UpdateOfARowChangedSinceItWasReadIsRefused) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto env = Environment::create();
    auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.sqliteConnect());
    cn->execute(QStringLiteral("CREATE TABLE Users (UserRef INTEGER, Name VARCHAR(20))"));
    cn->execute(QStringLiteral("INSERT INTO Users VALUES (1, 'Smith')"));
    auto rs = cn->openResultset(QStringLiteral("SELECT UserRef, Name FROM Users"), cursor::kKeyset, lock::kValues);
    cn->execute(QStringLiteral("UPDATE Users SET Name = 'Jones'"));
    rs->edit();
    rs->setValue(1, Value(QStringLiteral("D'Arcy")));
    EXPECT_THROW(rs->update(), EngineError);
    EXPECT_EQ(column(odbc.sqliteConnect(), QStringLiteral("SELECT Name FROM Users")), (std::vector<QString>{"Jones"}));

    // Read again, the apostrophe goes through as a value.
    auto again = cn->openResultset(QStringLiteral("SELECT UserRef, Name FROM Users"), cursor::kKeyset, lock::kValues);
    again->edit();
    again->setValue(1, Value(QStringLiteral("D'Arcy")));
    again->update();
    EXPECT_EQ(column(odbc.sqliteConnect(), QStringLiteral("SELECT Name FROM Users")), (std::vector<QString>{"D'Arcy"}));
}

TEST_F(DirectLayerTest, JoinedOrReadOnlySetsAreNotUpdatable) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    auto env = Environment::create();
    auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.sqliteConnect());
    cn->execute(QStringLiteral("CREATE TABLE A (x INTEGER)"));
    cn->execute(QStringLiteral("CREATE TABLE B (x INTEGER)"));
    EXPECT_FALSE(cn->openResultset(QStringLiteral("SELECT A.x FROM A JOIN B ON A.x = B.x"), cursor::kDynamic, lock::kValues)->updatable());
    EXPECT_FALSE(cn->openResultset(QStringLiteral("SELECT A.x FROM A, B"), cursor::kDynamic, lock::kValues)->updatable());
    EXPECT_FALSE(cn->openResultset(QStringLiteral("SELECT x FROM A"), cursor::kDynamic, lock::kReadOnly)->updatable());
    EXPECT_TRUE(cn->openResultset(QStringLiteral("SELECT x FROM A WHERE x > 1 ORDER BY x"), cursor::kDynamic, lock::kValues)->updatable());
}

TEST_F(DirectLayerTest, EnvironmentTransactionSpansItsConnectionsAndRollsBack) {
    VERANTH_REQUIRE_POSTGRES_ODBC(odbc);
    auto env = Environment::create(QStringLiteral("SQLSERVER"));
    auto first = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.postgresConnect());
    first->execute(QStringLiteral("CREATE TABLE SystemOptions (BranchID integer)"));
    first->execute(QStringLiteral("INSERT INTO SystemOptions VALUES (12)"));

    env->beginTrans();
    auto second = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.postgresConnect());
    first->execute(QStringLiteral("UPDATE SystemOptions SET BranchID = 13"));
    second->execute(QStringLiteral("CREATE TABLE Scratch (x integer)"));
    env->rollbackTrans();
    EXPECT_EQ(column(odbc.postgresConnect(), QStringLiteral("SELECT CAST(BranchID AS varchar) FROM SystemOptions")),
              (std::vector<QString>{"12"}));
    EXPECT_THROW(column(odbc.postgresConnect(), QStringLiteral("SELECT * FROM Scratch")), EngineError);

    env->beginTrans();
    first->execute(QStringLiteral("UPDATE SystemOptions SET BranchID = 14"));
    env->commitTrans();
    EXPECT_EQ(column(odbc.postgresConnect(), QStringLiteral("SELECT CAST(BranchID AS varchar) FROM SystemOptions")),
              (std::vector<QString>{"14"}));
}

TEST_F(DirectLayerTest, CloseRollsBackWhatIsStillOpenOnTheConnection) {
    VERANTH_REQUIRE_POSTGRES_ODBC(odbc);
    auto env = Environment::create();
    auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.postgresConnect());
    cn->execute(QStringLiteral("CREATE TABLE Counters (v integer)"));
    cn->execute(QStringLiteral("INSERT INTO Counters VALUES (1)"));
    cn->beginTrans();
    cn->execute(QStringLiteral("UPDATE Counters SET v = 2"));
    EXPECT_EQ(cn->rowsAffected(), 1);
    cn->close();
    EXPECT_EQ(column(odbc.postgresConnect(), QStringLiteral("SELECT CAST(v AS varchar) FROM Counters")), (std::vector<QString>{"1"}));

    // The same through the environment's close, with the transaction begun there.
    auto cn2 = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.postgresConnect());
    env->beginTrans();
    cn2->execute(QStringLiteral("UPDATE Counters SET v = 3"));
    env->close();
    EXPECT_EQ(column(odbc.postgresConnect(), QStringLiteral("SELECT CAST(v AS varchar) FROM Counters")), (std::vector<QString>{"1"}));
}

TEST_F(DirectLayerTest, ServerLostMidTransactionIsReportedAndNothingIsKept) {
    VERANTH_REQUIRE_POSTGRES_ODBC(odbc);
    auto env = Environment::create();
    auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, odbc.postgresConnect());
    cn->execute(QStringLiteral("CREATE TABLE T (v integer)"));
    cn->execute(QStringLiteral("INSERT INTO T VALUES (1)"));
    auto pid = cn->openResultset(QStringLiteral("SELECT pg_backend_pid()"));
    const auto backend = pid->value(0).rawInteger();
    env->beginTrans();
    cn->execute(QStringLiteral("UPDATE T SET v = 2"));

    auto killer = Environment::create();
    killer->openConnection(QString(), prompt::kNoPrompt, false, odbc.postgresConnect())
        ->execute(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(backend));

    try {
        cn->execute(QStringLiteral("UPDATE T SET v = 3"));
        FAIL() << "a statement on a dropped connection succeeded";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), err::kOdbcCallFailed);
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("ODBC--call failed."))) << e.description().toStdString();
    }
    EXPECT_FALSE(cn->inTransaction());
    EXPECT_NO_THROW(env->rollbackTrans());
    EXPECT_NO_THROW(env->close());
    EXPECT_EQ(column(odbc.postgresConnect(), QStringLiteral("SELECT CAST(v AS varchar) FROM T")), (std::vector<QString>{"1"}));
}

TEST_F(DirectLayerTest, EnvironmentCredentialsFillAStringWithoutThem) {
    VERANTH_REQUIRE_POSTGRES_ODBC(odbc);
    auto env = Environment::create(QStringLiteral("SQLSERVER"), odbc.postgresUser(), odbc.postgresPassword());
    // The program's own driver name, registered here for the PostgreSQL driver.
    const QString connect = QStringLiteral("driver={SQL Server};server=%1;port=%2;database=%3;")
                                .arg(odbc.postgresServer(), odbc.postgresPort(), odbc.postgresDatabase());
    auto cn = env->openConnection(QString(), prompt::kNoPrompt, false, connect);
    auto rs = cn->openResultset(QStringLiteral("SELECT current_user"));
    EXPECT_EQ(rs->value(0).rawString(), odbc.postgresUser());
    EXPECT_TRUE(cn->connect().contains(QStringLiteral("database=") + odbc.postgresDatabase(), Qt::CaseInsensitive));
}

struct ConnectFailure {
    const char* what;
    bool postgres;
    QString connect;     // filled in by the test for the server cases
    const char* expected;
    const char* notExpected;
};

TEST_F(DirectLayerTest, FailedConnectionsSayWhatWentWrong) {
    VERANTH_REQUIRE_SQLITE_ODBC(odbc);
    std::vector<ConnectFailure> cases = {
        {"unknown data source", false, QStringLiteral("DSN=Nowhere;UID=sa;PWD=;"), "ODBC--connection to 'Nowhere' failed", nullptr},
        {"unknown driver", false, QStringLiteral("Driver={No Such Driver};Server=x;"), "ODBC--connection to '{No Such Driver}' failed", nullptr},
    };
    if (odbc.hasPostgres()) {
        cases.push_back({"wrong password", true, odbc.postgresConnectWithPassword(QStringLiteral("wrong")), "Login failed",
                         "ODBC--connection to"});
        odbc.addDataSource(QStringLiteral("Corvane"), QStringLiteral("PostgreSQL Unicode"),
                           {{"Servername", odbc.postgresServer()}, {"Port", odbc.postgresPort()}, {"Database", odbc.postgresDatabase()}});
        cases.push_back({"wrong password on a registered source", true,
                         QStringLiteral("DSN=Corvane;UID=%1;PWD=wrong;").arg(odbc.postgresUser()), "Login failed",
                         "ODBC--connection to"});
    }
    for (const auto& c : cases) {
        auto env = Environment::create();
        try {
            env->openConnection(QString(), prompt::kNoPrompt, false, c.connect);
            ADD_FAILURE() << c.what << ": connected";
        } catch (const EngineError& e) {
            EXPECT_TRUE(e.description().contains(QLatin1String(c.expected))) << c.what << ": " << e.description().toStdString();
            if (c.notExpected) {
                EXPECT_FALSE(e.description().contains(QLatin1String(c.notExpected))) << c.what << ": " << e.description().toStdString();
            }
            // The driver manager's or server's own words follow.
            EXPECT_GT(e.description().size(), qsizetype(std::strlen(c.expected)) + 10) << c.what;
        }
    }
}

}  // namespace
}  // namespace veranth::engine::direct
