// A set-based UPDATE over a million cash entries, WHERE on an indexed column and an arithmetic
// SET, through the dialect and as the hand-written SQLite statement doing the same (Currency is
// stored in 1/10000 units, so adding 1.5 adds 15000). Both run on the same file, one after the
// other in each iteration; the counters give both times and the ratio.
#include "dialect_bench_files.h"

#include "engine/native/sqlite_db.h"

#include <benchmark/benchmark.h>

using namespace veranth;
using namespace veranth::bench;

namespace {

void BM_DialectUpdateMillionRows(benchmark::State& state) {
    const QString path = corvaneCashBookFile(1000, 1'000'000);
    engine::DBEngine engine;
    auto db = engine.openDatabase(path);
    auto raw = engine::native::Connection::open(path, false, false);
    double engineSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        db->execute(QStringLiteral("UPDATE CashEntries SET Amount = Amount + 1.5 WHERE AccountRef >= 12200001"),
                    engine::exec_option::kFailOnError);
        const double e = secondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);
        if (db->recordsAffected() != 1'000'000) state.SkipWithError("the update missed rows");

        start = Clock::now();
        raw->exec(QStringLiteral("UPDATE CashEntries SET Amount = Amount + 15000 WHERE AccountRef >= 12200001"));
        rawSeconds += secondsSince(start);
    }
    state.counters["engine_ms"] = engineSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["raw_ms"] = rawSeconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["ratio"] = rawSeconds > 0 ? engineSeconds / rawSeconds : 0;
}
BENCHMARK(BM_DialectUpdateMillionRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
