// Reset Time Fee Charges over 100,000 entries of 1,000 users whose entries overlap, through the
// utility, against a hand-written loop that issues the same statements, written for SQLite, through
// the sqlite3 C API on a copy of the same file. Both run in each iteration; the counters give both
// times and the ratio.
#include "db/session.h"
#include "engine/dbengine.h"
#include "platform/scripted_prompter.h"
#include "platform/status_sink.h"
#include "repairs/time_fees.h"
#include "tests/fixtures/corvane_schema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

using namespace veranth;

namespace {

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

constexpr int kUsers = 1000;
constexpr int kEntriesPerUser = 100;

// Entries 40 minutes apart lasting 45, so each overlaps the next by 5 minutes; dates are day
// serials and amounts 1/10000 units, as the native storage holds them.
QString pristineFile(const QString& folder) {
    const QString path = folder + QStringLiteral("/TimeFees.mdb");
    engine::DBEngine engine;
    auto db = fixtures::createCorvaneDatabase(engine, fixtures::CorvaneFile::Main, path);
    db->execute(QStringLiteral("INSERT INTO TimeFeeCharges (TimeFeeChargeRef, HourlyCharge, Rounding) VALUES (600, 1200000, 15)"),
                engine::exec_option::kSqlPassThrough);
    db->execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                               "INSERT INTO TimeFeeEntries (TimeFeeRef, TimeFeeChargeRef, UserRef, ChargeStart, ChargeEnd, AmountToCharge) "
                               "SELECT 12000001 + i, 600, 12500000 + i / %2, 38000 + (i % %2) / 10 + (540 + (i % 10) * 40) / 1440.0, "
                               "38000 + (i % %2) / 10 + (585 + (i % 10) * 40) / 1440.0, 900000 FROM n")
                    .arg(kUsers * kEntriesPerUser - 1)
                    .arg(kEntriesPerUser),
                engine::exec_option::kSqlPassThrough);
    db->close();
    return path;
}

// ---- The hand-written loop ------------------------------------------------------------------

struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const QString& path) { sqlite3_open(path.toUtf8().constData(), &db); }
    ~Raw() { sqlite3_close(db); }
    void exec(const std::string& sql) { sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }
    // The first row's columns as doubles.
    std::vector<double> row(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
        std::vector<double> out;
        if (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(s); ++c) out.push_back(sqlite3_column_double(s, c));
        sqlite3_finalize(s);
        return out;
    }
};

std::string num(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}
// Whole minutes of a day serial, as DateDiff("n") counts them.
const char* kMinutes = "(CAST(round(%s * 86400) AS INTEGER) / 60)";
std::string minutes(const std::string& x) {
    char buffer[200];
    std::snprintf(buffer, sizeof buffer, kMinutes, x.c_str());
    return buffer;
}
long long minuteOf(double serial) { return std::llround(serial * 86400) / 60; }

void rawReset(const QString& path) {
    Raw raw(path);
    raw.exec("BEGIN");
    struct WalkRow {
        long long ref, user;
        double start;
    };
    std::vector<WalkRow> walk;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(raw.db, "SELECT TimeFeeRef, UserRef, ChargeStart FROM TimeFeeEntries ORDER BY UserRef, ChargeStart", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) walk.push_back({sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1), sqlite3_column_double(s, 2)});
    sqlite3_finalize(s);
    for (size_t i = 0; i < walk.size(); ++i) {
        const auto e = raw.row("SELECT TimeFeeRef, TimeFeeChargeRef, UserRef, ChargeStart, ChargeEnd FROM TimeFeeEntries WHERE TimeFeeRef = " +
                               std::to_string(walk[i].ref));
        const std::string user = std::to_string(static_cast<long long>(e[2])), S = num(e[3]), E = num(e[4]);
        const auto o = raw.row("SELECT SUM(CASE WHEN ChargeEnd < " + E + " THEN " + minutes("ChargeEnd") + " - " + minutes("ChargeStart") +
                               " ELSE " + minutes(E) + " - " + minutes("ChargeStart") + " END) FROM TimeFeeEntries WHERE UserRef = " + user +
                               " AND ChargeStart > " + S + " AND ChargeStart < " + E);
        const long long overlap = o.empty() ? 0 : static_cast<long long>(o[0]);
        if (overlap == 0) continue;
        const long long kept = std::max(0LL, minuteOf(e[4]) - minuteOf(e[3]) - overlap);
        const double newEnd = (std::llround(e[3] * 86400) + kept * 60) / 86400.0;
        const auto charge = raw.row("SELECT HourlyCharge, Rounding FROM TimeFeeCharges WHERE TimeFeeChargeRef = " +
                                    std::to_string(static_cast<long long>(e[1])));
        const long long rounding = static_cast<long long>(charge[1]);
        const long long charged = (kept + rounding - 1) / rounding * rounding;
        const std::string En = num(newEnd);
        raw.exec("UPDATE TimeFeeEntries SET ChargeEnd = " + En + ", AmountToCharge = " +
                 std::to_string(static_cast<long long>(charge[0]) * charged / 60) + " WHERE TimeFeeRef = " + std::to_string(walk[i].ref));
        if (i + 1 >= walk.size() || walk[i + 1].user != walk[i].user) continue;
        const std::string N = num(walk[i + 1].start);
        raw.exec("UPDATE TimeFeeEntries SET ChargeStart = " + En + ", ChargeEnd = " + En + " + (" + minutes("ChargeEnd") + " - " +
                 minutes("ChargeStart") + ") / 1440.0 WHERE ChargeStart < " + En + " AND ChargeStart > " + S + " AND UserRef = " + user +
                 " AND TimeFeeRef = " + std::to_string(walk[i + 1].ref));
        raw.exec("UPDATE TimeFeeEntries SET ChargeStart = " + En + " + (" + minutes("ChargeStart") + " - " + minutes(N) +
                 ") / 1440.0, ChargeEnd = " + En + " + (" + minutes("ChargeStart") + " - " + minutes(N) + ") / 1440.0 + (" +
                 minutes("ChargeEnd") + " - " + minutes("ChargeStart") + ") / 1440.0 WHERE ChargeStart < " + En +
                 " AND ChargeStart > " + S + " AND UserRef = " + user);
    }
    raw.exec("COMMIT");
}

void BM_ResetTimeFeeCharges(benchmark::State& state) {
    QTemporaryDir dir;
    const QString pristine = pristineFile(dir.path());
    const QString engineCopy = dir.path() + QStringLiteral("/Engine.mdb"), rawCopy = dir.path() + QStringLiteral("/Raw.mdb");
    double engineSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        QFile::remove(engineCopy);
        QFile::remove(rawCopy);
        QFile::copy(pristine, engineCopy);
        QFile::copy(pristine, rawCopy);
        {
            engine::DBEngine engine;
            platform::ScriptedPrompter prompter;
            platform::NullStatusSink status;
            db::Session session(engine, prompter, status, platform::SettingsStore(dir.path() + QStringLiteral("/config")));
            session.workspace = engine.defaultWorkspace();
            session.database = session.workspace->openDatabase(engineCopy);
            const auto start = Clock::now();
            const repairs::UtilityResult result = repairs::ResetTimeFeeCharges(session, true);
            const double e = secondsSince(start);
            engineSeconds += e;
            state.SetIterationTime(e);
            if (result.failed()) state.SkipWithError(result.description.toStdString().c_str());
            session.database->close();
        }
        const auto start = Clock::now();
        rawReset(rawCopy);
        rawSeconds += secondsSince(start);
    }
    state.counters["engine_s"] = engineSeconds / static_cast<double>(state.iterations());
    state.counters["raw_s"] = rawSeconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = rawSeconds > 0 ? engineSeconds / rawSeconds : 0;
}
BENCHMARK(BM_ResetTimeFeeCharges)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
