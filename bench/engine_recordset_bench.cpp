#include "engine_bench_files.h"

#include "engine/conversions.h"

#include <benchmark/benchmark.h>

#include <QFile>

// Each benchmark times the engine doing the work and, in the same iteration, the raw SQLite
// C API doing the same work; the time reported is the engine's, the counters give the raw
// time and the ratio engine / raw.
using namespace veranth;
using namespace veranth::bench;

namespace {

void report(benchmark::State& state, double engineSeconds, double rawSeconds) {
    state.counters["raw_ms"] = benchmark::Counter(rawSeconds * 1000.0 / static_cast<double>(state.iterations()));
    state.counters["engine_ms"] = benchmark::Counter(engineSeconds * 1000.0 / static_cast<double>(state.iterations()));
    state.counters["ratio"] = rawSeconds > 0 ? engineSeconds / rawSeconds : 0;
}

// Opening the first row of a dynaset over a ten-million-row table: no full scan.
void BM_DynasetFirstRow(benchmark::State& state) {
    const QString path = bigTableFile(10'000'000);
    engine::DBEngine engine;
    auto db = engine.openDatabase(path);
    RawDb raw(path);
    double engineSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto rs = db->openRecordset(QStringLiteral("SELECT * FROM Big"), engine::RecordsetType::Dynaset);
        benchmark::DoNotOptimize(rs->field(1)->value());
        const double e = secondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);

        start = Clock::now();
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw.db, "SELECT rowid, * FROM Big", -1, &stmt, nullptr);
        sqlite3_step(stmt);
        benchmark::DoNotOptimize(sqlite3_column_text(stmt, 2));
        sqlite3_finalize(stmt);
        rawSeconds += secondsSince(start);
    }
    report(state, engineSeconds, rawSeconds);
}
BENCHMARK(BM_DynasetFirstRow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Reading every field of a million rows through a forward-only recordset.
void BM_ForwardOnlyReadAll(benchmark::State& state) {
    const QString path = bigTableFile(1'000'000);
    engine::DBEngine engine;
    auto db = engine.openDatabase(path);
    RawDb raw(path);
    double engineSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto rs = db->openRecordset(QStringLiteral("Big"), engine::RecordsetType::ForwardOnly);
        const int fields = rs->fields().count();
        std::vector<std::shared_ptr<engine::Field>> columns;
        for (int i = 0; i < fields; ++i) columns.push_back(rs->field(i));
        long long rows = 0;
        for (; !rs->eof(); rs->moveNext()) {
            for (const auto& f : columns) benchmark::DoNotOptimize(f->value());
            ++rows;
        }
        const double e = secondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);

        start = Clock::now();
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw.db, "SELECT ID, Name, Amount, Stamp FROM Big", -1, &stmt, nullptr);
        long long rawRows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int(stmt, 0));
            // The engine hands out text as QString: the baseline makes one too.
            benchmark::DoNotOptimize(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)),
                                                       sqlite3_column_bytes(stmt, 1)));
            benchmark::DoNotOptimize(sqlite3_column_int64(stmt, 2));
            benchmark::DoNotOptimize(sqlite3_column_double(stmt, 3));
            ++rawRows;
        }
        sqlite3_finalize(stmt);
        rawSeconds += secondsSince(start);
        if (rows != rawRows) state.SkipWithError("row counts differ");
    }
    report(state, engineSeconds, rawSeconds);
}
BENCHMARK(BM_ForwardOnlyReadAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// MoveLast then MoveFirst on a dynaset of a million rows.
void BM_DynasetMoveLastFirst(benchmark::State& state) {
    const QString path = bigTableFile(1'000'000);
    engine::DBEngine engine;
    auto db = engine.openDatabase(path);
    RawDb raw(path);
    double engineSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto rs = db->openRecordset(QStringLiteral("Big"), engine::RecordsetType::Dynaset);
        rs->moveLast();
        rs->moveFirst();
        benchmark::DoNotOptimize(rs->field(0)->value());
        const double e = secondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);

        start = Clock::now();
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw.db, "SELECT rowid FROM Big", -1, &stmt, nullptr);
        std::vector<long long> keys;
        while (sqlite3_step(stmt) == SQLITE_ROW) keys.push_back(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(keys.data());
        rawSeconds += secondsSince(start);
    }
    report(state, engineSeconds, rawSeconds);
}
BENCHMARK(BM_DynasetMoveLastFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A hundred thousand AddNew/Update in one transaction.
void BM_AddNewInTransaction(benchmark::State& state) {
    constexpr int kRows = 100'000;
    double engineSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        const QString enginePath = benchDir() + QStringLiteral("/addnew_engine.mdb");
        const QString rawPath = benchDir() + QStringLiteral("/addnew_raw.mdb");
        QFile::remove(enginePath);
        QFile::remove(rawPath);
        engine::DBEngine engine;
        for (const QString& p : {enginePath, rawPath}) {
            auto db = engine.createDatabase(p);
            auto t = db->createTableDef(QStringLiteral("Rows"));
            t->fields().append(t->createField(QStringLiteral("ID"), engine::FieldType::Long));
            t->fields().append(t->createField(QStringLiteral("Name"), engine::FieldType::Text, 40));
            t->fields().append(t->createField(QStringLiteral("Amount"), engine::FieldType::Currency));
            db->tableDefs().append(t);
            db->close();
        }
        auto db = engine.openDatabase(enginePath);
        auto start = Clock::now();
        engine.beginTrans();
        auto rs = db->openRecordset(QStringLiteral("Rows"), engine::RecordsetType::Dynaset);
        auto id = rs->field(0), name = rs->field(1), amount = rs->field(2);
        for (int i = 0; i < kRows; ++i) {
            rs->addNew();
            id->setValue(engine::Value::longValue(i));
            name->setValue(engine::Value(QStringLiteral("Row %1").arg(i)));
            amount->setValue(engine::Value::currency(engine::Currency{i * 125LL}));
            rs->update();
        }
        engine.commitTrans();
        const double e = secondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);

        RawDb raw(rawPath);
        start = Clock::now();
        sqlite3_exec(raw.db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw.db, "INSERT INTO Rows (ID, Name, Amount) VALUES (?, ?, ?)", -1, &stmt, nullptr);
        for (int i = 0; i < kRows; ++i) {
            const QByteArray text = QStringLiteral("Row %1").arg(i).toUtf8();
            sqlite3_bind_int(stmt, 1, i);
            sqlite3_bind_text(stmt, 2, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(stmt, 3, i * 125LL);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(raw.db, "COMMIT", nullptr, nullptr, nullptr);
        rawSeconds += secondsSince(start);
    }
    report(state, engineSeconds, rawSeconds);
}
BENCHMARK(BM_AddNewInTransaction)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
