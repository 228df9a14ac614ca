#include "engine/database.h"
#include "engine/dbengine.h"
#include "engine/recordset.h"
#include "views/lazy_grid_model.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <fstream>
#include <string>

// The grid's model over big tables, each figure beside the raw SQLite C API doing the same
// reading in the same iteration. The tables are made once into the build folder and kept.
using namespace veranth;

namespace {

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

constexpr int kScreenRows = 40;

// Grid(ID Long, Name Text 40, Amount Currency, Stamp Date) of `rows` rows, Name indexed.
QString GridTableFile(long long rows) {
    const QString dir = QStringLiteral(VERANTH_BENCH_DATA_DIR);
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/grid_%1.mdb").arg(rows);
    if (QFileInfo::exists(path)) return path;
    engine::DBEngine engine;
    QFile::remove(path + QStringLiteral(".part"));
    auto db = engine.createDatabase(path + QStringLiteral(".part"));
    auto t = db->createTableDef(QStringLiteral("Grid"));
    t->fields().append(t->createField(QStringLiteral("ID"), engine::FieldType::Long));
    t->fields().append(t->createField(QStringLiteral("Name"), engine::FieldType::Text, 40));
    t->fields().append(t->createField(QStringLiteral("Amount"), engine::FieldType::Currency));
    t->fields().append(t->createField(QStringLiteral("Stamp"), engine::FieldType::Date));
    auto index = t->createIndex(QStringLiteral("ByName"));
    index->setFields(QStringLiteral("Name"));
    t->indexes().append(index);
    db->tableDefs().append(t);
    // Names in an order unlike the rows', so a sort by Name really reorders them.
    db->execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                               "INSERT INTO Grid (ID, Name, Amount, Stamp) "
                               "SELECT i, 'Client ' || ((i * 7919) % %1), i * 125, 38000 + i / 1000.0 FROM n")
                    .arg(rows),
                engine::exec_option::kSqlPassThrough);
    db->close();
    QFile::rename(path + QStringLiteral(".part"), path);
    return path;
}

// The engine's text order, without regard to case; ASCII is enough for the baseline's names.
int CompareNoCase(void*, int n1, const void* a, int n2, const void* b) {
    const int c = sqlite3_strnicmp(static_cast<const char*>(a), static_cast<const char*>(b), std::min(n1, n2));
    return c != 0 ? c : n1 - n2;
}

struct RawDb {
    sqlite3* db = nullptr;
    explicit RawDb(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_create_collation_v2(db, "VNOCASE", SQLITE_UTF8, nullptr, CompareNoCase, nullptr);
    }
    ~RawDb() { sqlite3_close_v2(db); }
    // Steps a statement to its end, touching every column as a grid would show it.
    void Read(const char* sql) const {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(s); ++c) benchmark::DoNotOptimize(sqlite3_column_text(s, c));
        sqlite3_finalize(s);
    }
};

double ResidentMegabytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::string(key).size())) / 1024.0;
    return 0;
}

// Asks for the screen at `first` and runs slices until it is read; the longest slice is kept.
void ShowScreen(views::LazyGridModel& model, int first, double* longestSlice) {
    const int last = std::min(model.rowCount(), first + kScreenRows) - 1;
    model.SetVisibleRows(first, last);
    for (int r = first; r <= last; ++r)
        for (int c = 0; c < model.columnCount(); ++c) model.data(model.index(r, c));
    while (!model.IsFetched(first) || !model.IsFetched(last)) {
        const auto start = Clock::now();
        model.Pump();
        *longestSlice = std::max(*longestSlice, SecondsSince(start));
    }
}

void Report(benchmark::State& state, double engineSeconds, double rawSeconds, double longestSlice) {
    const auto n = static_cast<double>(state.iterations());
    state.counters["engine_ms"] = engineSeconds * 1000.0 / n;
    state.counters["raw_ms"] = rawSeconds * 1000.0 / n;
    state.counters["longest_slice_ms"] = longestSlice * 1000.0;
    state.counters["rss_mb"] = ResidentMegabytes("VmRSS:");
    state.counters["peak_rss_mb"] = ResidentMegabytes("VmHWM:");
}

// Opening a grid on ten million rows: the first screen of text.
void BM_GridFirstScreen(benchmark::State& state) {
    const QString path = GridTableFile(10'000'000);
    engine::DBEngine engine;
    auto db = engine.openDatabase(path);
    RawDb raw(path);
    double engineSeconds = 0, rawSeconds = 0, longest = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        views::LazyGridModel model;
        model.SetRecordset(db->openRecordset(QStringLiteral("Grid"), engine::RecordsetType::Dynaset));
        ShowScreen(model, 0, &longest);
        const double e = SecondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);
        start = Clock::now();
        raw.Read("SELECT rowid, ID, Name, Amount, Stamp FROM Grid ORDER BY rowid LIMIT 40");
        rawSeconds += SecondsSince(start);
    }
    Report(state, engineSeconds, rawSeconds, longest);
}
BENCHMARK(BM_GridFirstScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// From an open grid on ten million rows, a jump to the last row: the count to the end, then the
// last screen. The window keeps running between slices; the longest slice is the worst stall.
void BM_GridJumpToLastRow(benchmark::State& state) {
    const QString path = GridTableFile(10'000'000);
    engine::DBEngine engine;
    auto db = engine.openDatabase(path);
    RawDb raw(path);
    double engineSeconds = 0, rawSeconds = 0, longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        views::LazyGridModel model;
        model.SetCountInBackground(false);
        model.SetRecordset(db->openRecordset(QStringLiteral("Grid"), engine::RecordsetType::Dynaset));
        ShowScreen(model, 0, &longest);
        state.ResumeTiming();
        auto start = Clock::now();
        model.RequestCount();
        while (!model.CountComplete()) {
            const auto slice = Clock::now();
            model.Pump();
            longest = std::max(longest, SecondsSince(slice));
        }
        ShowScreen(model, model.rowCount() - kScreenRows, &longest);
        const double e = SecondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);
        // Scrolling back through the table keeps memory bounded.
        for (int r = model.rowCount() - kScreenRows; r > 0; r -= model.rowCount() / 50) ShowScreen(model, r, &longest);
        start = Clock::now();
        raw.Read("SELECT count(*) FROM Grid");
        raw.Read("SELECT rowid, ID, Name, Amount, Stamp FROM Grid ORDER BY rowid DESC LIMIT 40");
        rawSeconds += SecondsSince(start);
    }
    Report(state, engineSeconds, rawSeconds, longest);
}
BENCHMARK(BM_GridJumpToLastRow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A header click on an indexed column of a million rows: the sorted set opened and its first screen.
void BM_GridSortedFirstScreen(benchmark::State& state) {
    const QString path = GridTableFile(1'000'000);
    engine::DBEngine engine;
    auto db = engine.openDatabase(path);
    RawDb raw(path);
    auto source = db->openRecordset(QStringLiteral("Grid"), engine::RecordsetType::Dynaset);
    double engineSeconds = 0, rawSeconds = 0, longest = 0;
    for (auto _ : state) {
        views::LazyGridModel model;
        auto start = Clock::now();
        source->setSort(QStringLiteral("[Name]"));
        model.SetRecordset(source->openRecordset());
        ShowScreen(model, 0, &longest);
        const double e = SecondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);
        start = Clock::now();
        raw.Read("SELECT rowid, ID, Name, Amount, Stamp FROM Grid ORDER BY Name LIMIT 40");
        rawSeconds += SecondsSince(start);
    }
    Report(state, engineSeconds, rawSeconds, longest);
}
BENCHMARK(BM_GridSortedFirstScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
