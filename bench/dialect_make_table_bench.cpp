// The cash account fix's make-table query over 100,000 cash entries: run in a local file,
// reading the main one through IN '' 'path', against the hand-written SQLite doing the same
// (the main file attached, the table created, the grouped rows inserted). The work table is
// dropped after each run, untimed.
#include "dialect_bench_files.h"

#include "engine/native/sqlite_db.h"

#include <benchmark/benchmark.h>

using namespace veranth;
using namespace veranth::bench;

namespace {

const char* const kRawMakeTable =
    "CREATE TABLE Temp_Accounts (ClientName VARCHAR(255) COLLATE VNOCASE, ClientRef INTEGER, Owner SMALLINT, "
    "AccountRef INTEGER, AccountName VARCHAR(50) COLLATE VNOCASE, CurrentBalance CURRENCY, TrueBalance CURRENCY, "
    "FixedAccount BOOLEAN); "
    "INSERT INTO Temp_Accounts SELECT c.Surname || ' ' || c.Initials || ' ' || c.Title, c.ClientRef, c.Owner, e.AccountRef, "
    "a.AccountName, a.CurrentBalance, SUM(e.Amount), CASE WHEN a.CurrentBalance = SUM(e.Amount) THEN -1 ELSE 0 END "
    "FROM src.CashEntries e, src.Accounts a, src.Clients c WHERE c.ClientRef = a.FKeyRef AND a.FKeyType = 1 AND "
    "a.AccountRef = e.AccountRef GROUP BY c.Surname, c.Initials, c.Title, c.ClientRef, c.Owner, e.AccountRef, "
    "a.AccountName, a.CurrentBalance";

void BM_DialectCashAccountMakeTable(benchmark::State& state) {
    const QString main = corvaneCashBookFile(2000, 100'000);
    const QString local = benchDir() + QStringLiteral("/corvane_local_bench.mdb");
    const QString rawLocal = benchDir() + QStringLiteral("/corvane_local_raw.mdb");
    QFile::remove(local);
    QFile::remove(rawLocal);
    engine::DBEngine engine;
    auto db = engine.createDatabase(local);
    auto raw = engine::native::Connection::open(engine.createDatabase(rawLocal)->name(), false, false);
    raw->exec(QStringLiteral("ATTACH '%1' AS src").arg(main));
    const QString fix = QStringLiteral(
        "SELECT Surname & ' ' & Initials & ' ' & Title AS ClientName, Clients.ClientRef, Owner,CashEntries.AccountRef, "
        "AccountName, CurrentBalance, SUM(Amount) As TrueBalance, IIF(CurrentBalance = SUM(Amount), -1, 0) As FixedAccount "
        "INTO Temp_Accounts FROM CashEntries, Accounts, Clients IN '' '%1' WHERE Clients.ClientRef = Accounts.FKeyRef AND "
        "Accounts.FKeyType = 1 AND Accounts.AccountRef = CashEntries.AccountRef GROUP BY Surname, Initials, Title, "
        "Clients.ClientRef, Owner, CashEntries.AccountRef, AccountName, CurrentBalance").arg(main);
    double engineSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        db->execute(fix);
        const double e = secondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);
        if (db->recordsAffected() != 2000) state.SkipWithError("the make-table missed rows");
        db->execute(QStringLiteral("DROP TABLE Temp_Accounts"));

        start = Clock::now();
        raw->exec(QString::fromLatin1(kRawMakeTable));
        rawSeconds += secondsSince(start);
        raw->exec(QStringLiteral("DROP TABLE Temp_Accounts"));
    }
    state.counters["engine_ms"] = engineSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["raw_ms"] = rawSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["ratio"] = rawSeconds > 0 ? engineSeconds / rawSeconds : 0;
}
BENCHMARK(BM_DialectCashAccountMakeTable)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
