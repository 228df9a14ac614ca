#pragma once

#include "tests/support/temp_env.h"

#include <QString>

#include <map>
#include <memory>

namespace veranth::testing {

// Private driver-manager files: an odbcinst.ini naming the drivers installed on the machine
// ("SQLite3", "PostgreSQL Unicode", and "SQL Server" for the PostgreSQL driver, so the
// program's SQL Server strings reach a real server) and an odbc.ini, through ODBCSYSINI and
// ODBCINI. The machine's own files are never read or written. The driver manager keeps what
// it read of these files for the life of the process, so the files are one per process
// (each test's own files, such as its SQLite databases, live in a folder of its own).
//
// PostgreSQL cases need the throwaway server .ci/run starts (tests/odbc/pg_server.sh), found
// through VERANTH_TEST_PG_*; each test gets a database of its own, dropped at the end.
class OdbcTestEnv {
public:
    OdbcTestEnv();
    ~OdbcTestEnv();
    OdbcTestEnv(const OdbcTestEnv&) = delete;
    OdbcTestEnv& operator=(const OdbcTestEnv&) = delete;

    QString dir() const { return dir_.Path(); }
    // The folder of the driver manager's files.
    QString iniDir() const;
    QString odbcIniPath() const;
    QString odbcInstIniPath() const;

    bool hasSqlite() const { return !sqliteDriver_.isEmpty(); }
    // "Driver={SQLite3};Database=FILE;" over a file in the private folder.
    QString sqliteConnect(const QString& fileName = QStringLiteral("test.db")) const;
    QString sqliteFile(const QString& fileName = QStringLiteral("test.db")) const { return dir_.File(fileName); }

    bool hasPostgres() const;
    // A connect string to this test's own database (created on first use).
    QString postgresConnect(const QString& driver = QStringLiteral("PostgreSQL Unicode"));
    // The same with another password, for refused logins.
    QString postgresConnectWithPassword(const QString& password);
    QString postgresDatabase();
    // The server's socket folder and port, for strings built by hand.
    QString postgresServer() const;
    QString postgresPort() const;
    QString postgresUser() const;
    QString postgresPassword() const;

    // Writes a data source into the private odbc.ini.
    void addDataSource(const QString& name, const QString& driver, const std::map<QString, QString>& keys);

private:
    TempDir dir_;
    QString sqliteDriver_, postgresDriver_;
    QString database_;
};

}  // namespace veranth::testing

// Skips the test, with the reason, when the driver or server it needs is not there.
#define VERANTH_REQUIRE_SQLITE_ODBC(env) \
    if ((env).hasSqlite()) {                                                                     \
    } else                                                                                         \
        GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed"
#define VERANTH_REQUIRE_POSTGRES_ODBC(env) \
    if ((env).hasPostgres()) {                                                                   \
    } else                                                                                         \
        GTEST_SKIP() << "no PostgreSQL test server (VERANTH_TEST_PG_SOCKET) or psqlodbc driver"
