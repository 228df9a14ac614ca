#pragma once

#include "engine/dbengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sqlite3.h>

#include <chrono>
#include <cstdlib>

// Benchmark databases are made once and kept between runs (they take a while to fill):
// in $VERANTH_BENCH_DIR, else /tmp/veranth-bench.
namespace veranth::bench {

inline QString benchDir() {
    const QByteArray env = qgetenv("VERANTH_BENCH_DIR");
    const QString dir = env.isEmpty() ? QStringLiteral("/tmp/veranth-bench") : QString::fromLocal8Bit(env);
    QDir().mkpath(dir);
    return dir;
}

// A native file with table Big(ID Long, Name Text 40, Amount Currency, Stamp Date) of `rows` rows.
inline QString bigTableFile(long long rows) {
    const QString path = benchDir() + QStringLiteral("/big_%1.mdb").arg(rows);
    if (QFileInfo::exists(path)) return path;
    engine::DBEngine engine;
    auto db = engine.createDatabase(path + QStringLiteral(".part"));
    auto t = db->createTableDef(QStringLiteral("Big"));
    t->fields().append(t->createField(QStringLiteral("ID"), engine::FieldType::Long));
    t->fields().append(t->createField(QStringLiteral("Name"), engine::FieldType::Text, 40));
    t->fields().append(t->createField(QStringLiteral("Amount"), engine::FieldType::Currency));
    t->fields().append(t->createField(QStringLiteral("Stamp"), engine::FieldType::Date));
    db->tableDefs().append(t);
    db->execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                               "INSERT INTO Big (ID, Name, Amount, Stamp) "
                               "SELECT i, 'Client number ' || i, i * 125, 38000 + i / 1000.0 FROM n")
                    .arg(rows),
                engine::exec_option::kSqlPassThrough);
    db->close();
    QFile::rename(path + QStringLiteral(".part"), path);
    return path;
}

// A raw SQLite connection for the baselines.
struct RawDb {
    sqlite3* db = nullptr;
    explicit RawDb(const QString& path) { sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr); }
    ~RawDb() { sqlite3_close_v2(db); }
};

using Clock = std::chrono::steady_clock;
inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace veranth::bench
