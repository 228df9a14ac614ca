#include "tests/odbc/odbc_test_env.h"

#include "engine/odbc/driver_connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

namespace veranth::testing {

namespace {

QString installedDriver(const QString& file) {
    for (const QString& dir : {QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"), QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc"),
                               QStringLiteral("/usr/lib64/odbc"), QStringLiteral("/usr/lib/odbc")}) {
        const QString path = dir + QLatin1Char('/') + file;
        if (QFileInfo::exists(path)) return path;
    }
    // Other multiarch folders.
    const QDir lib(QStringLiteral("/usr/lib"));
    for (const QString& sub : lib.entryList({QStringLiteral("*-linux-gnu*")}, QDir::Dirs)) {
        const QString path = lib.filePath(sub + QStringLiteral("/odbc/") + file);
        if (QFileInfo::exists(path)) return path;
    }
    return QString();
}

QString env(const char* name) { return qEnvironmentVariable(name); }

// The process's driver-manager files, written once.
struct IniFiles {
    TempDir dir;
    std::unique_ptr<ScopedEnv> sysIni, userIni;

    IniFiles(const QString& sqliteDriver, const QString& postgresDriver) {
        QByteArray text;
        auto driver = [&](const QString& name, const QString& path, const QString& description) {
            if (path.isEmpty()) return;
            text += "[" + name.toUtf8() + "]\nDescription=" + description.toUtf8() + "\nDriver=" + path.toUtf8() + "\n\n";
        };
        driver(QStringLiteral("SQLite3"), sqliteDriver, QStringLiteral("SQLite3 ODBC Driver"));
        driver(QStringLiteral("PostgreSQL Unicode"), postgresDriver, QStringLiteral("PostgreSQL ODBC driver (Unicode)"));
        driver(QStringLiteral("SQL Server"), postgresDriver, QStringLiteral("PostgreSQL standing in for SQL Server"));
        dir.Write(QStringLiteral("odbcinst.ini"), text);
        dir.Write(QStringLiteral("odbc.ini"), QByteArray());
        sysIni = std::make_unique<ScopedEnv>("ODBCSYSINI", dir.Path());
        userIni = std::make_unique<ScopedEnv>("ODBCINI", dir.File(QStringLiteral("odbc.ini")));
    }
};

IniFiles& iniFiles(const QString& sqliteDriver, const QString& postgresDriver) {
    static IniFiles files(sqliteDriver, postgresDriver);
    return files;
}

}  // namespace

OdbcTestEnv::OdbcTestEnv() {
    sqliteDriver_ = installedDriver(QStringLiteral("libsqlite3odbc.so"));
    postgresDriver_ = installedDriver(QStringLiteral("psqlodbcw.so"));
    iniFiles(sqliteDriver_, postgresDriver_);
}

OdbcTestEnv::~OdbcTestEnv() {
    if (database_.isEmpty()) return;
    try {
        auto admin = engine::odbc::DriverConnection::open(
            QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=postgres;UID=%3;PWD=%4;")
                .arg(postgresServer(), postgresPort(), postgresUser(), postgresPassword()),
            {});
        engine::odbc::Statement(admin).execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database_));
    } catch (...) {
        // The server goes with the run anyway.
    }
}

QString OdbcTestEnv::iniDir() const { return iniFiles(sqliteDriver_, postgresDriver_).dir.Path(); }
QString OdbcTestEnv::odbcIniPath() const { return iniDir() + QStringLiteral("/odbc.ini"); }
QString OdbcTestEnv::odbcInstIniPath() const { return iniDir() + QStringLiteral("/odbcinst.ini"); }

QString OdbcTestEnv::sqliteConnect(const QString& fileName) const {
    return QStringLiteral("Driver={SQLite3};Database=%1;").arg(sqliteFile(fileName));
}

bool OdbcTestEnv::hasPostgres() const { return !postgresDriver_.isEmpty() && !env("VERANTH_TEST_PG_SOCKET").isEmpty(); }
QString OdbcTestEnv::postgresServer() const { return env("VERANTH_TEST_PG_SOCKET"); }
QString OdbcTestEnv::postgresPort() const {
    const QString port = env("VERANTH_TEST_PG_PORT");
    return port.isEmpty() ? QStringLiteral("5432") : port;
}
QString OdbcTestEnv::postgresUser() const {
    const QString user = env("VERANTH_TEST_PG_USER");
    return user.isEmpty() ? QStringLiteral("postgres") : user;
}
QString OdbcTestEnv::postgresPassword() const { return env("VERANTH_TEST_PG_PASSWORD"); }

QString OdbcTestEnv::postgresDatabase() {
    if (!database_.isEmpty()) return database_;
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("vt_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    auto admin = engine::odbc::DriverConnection::open(
        QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=postgres;UID=%3;PWD=%4;")
            .arg(postgresServer(), postgresPort(), postgresUser(), postgresPassword()),
        {});
    engine::odbc::Statement(admin).execute(QStringLiteral("CREATE DATABASE %1").arg(name));
    database_ = name;
    return database_;
}

QString OdbcTestEnv::postgresConnect(const QString& driver) { return postgresConnectWithPassword(postgresPassword()).replace(QStringLiteral("{PostgreSQL Unicode}"), QLatin1Char('{') + driver + QLatin1Char('}')); }

QString OdbcTestEnv::postgresConnectWithPassword(const QString& password) {
    // Booleans as bit columns, as a server's bit type reads.
    return QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;UID=%4;PWD=%5;BoolsAsChar=0;")
        .arg(postgresServer(), postgresPort(), postgresDatabase(), postgresUser(), password);
}

void OdbcTestEnv::addDataSource(const QString& name, const QString& driver, const std::map<QString, QString>& keys) {
    QFile file(odbcIniPath());
    if (!file.open(QIODevice::Append)) return;
    QByteArray text = "[" + name.toUtf8() + "]\nDriver=" + driver.toUtf8() + "\n";
    for (const auto& [k, v] : keys) text += k.toUtf8() + "=" + v.toUtf8() + "\n";
    file.write(text + "\n");
}

}  // namespace veranth::testing
