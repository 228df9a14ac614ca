#include "engine_bench_files.h"

#include "db/session.h"
#include "engine/conversions.h"
#include "platform/scripted_prompter.h"
#include "views/dyna_snap.h"
#include "views/open_recordset.h"

#include <benchmark/benchmark.h>

#include <QDir>

// The field-form view's road for a ten-million-row table, without widgets: ViewTable opens the
// dynaset and hands it over, the view's load makes the first row current and DisplayRecord
// produces the texts the window shows. Beside it, raw SQLite reading the same first row.
using namespace veranth;
using namespace veranth::bench;

namespace {

// Keeps the recordset ViewTable hands to the window.
class CapturingWindows : public db::NullShellWindows {
public:
    std::shared_ptr<engine::Recordset> recordset;
    void ShowRecordsetWindow(const db::RecordsetWindowRequest& request) override { recordset = request.recordset; }
};

// The window's side, doing nothing but keep the texts.
class TextsOnly : public views::DynaSnapView {
public:
    QString status;
    QStringList boxes;
    void SetStatusText(const QString& text) override { status = text; }
    QString FieldText(int i) const override { return boxes.value(i); }
    void SetFieldText(int i, const QString& text) override {
        while (boxes.size() <= i) boxes.append(QString());
        boxes[i] = text;
    }
    void SetSliderScale(const views::SliderScale&) override {}
    void ShowSliderValue(int) override {}
    void SetChanging(bool) override {}
    void FocusFirstBox() override {}
    void FocusSlider() override {}
    void FillFindFields(const QStringList&) override {}
    views::FindRequest ShowFindDialog() override { return {}; }
    QString ShowZoom(const views::ZoomRequest&) override { return QLatin1String(views::kZoomCancelled); }
    void Unload() override {}
};

QString BenchFile() {
    // The ten-million-row file takes minutes to make: it is kept in the build tree between runs.
    if (qEnvironmentVariableIsEmpty("VERANTH_BENCH_DIR")) qputenv("VERANTH_BENCH_DIR", VERANTH_VIEWS_BENCH_DIR);
    return bigTableFile(10'000'000);
}

struct OpenSession {
    platform::ScriptedPrompter prompter;
    platform::NullStatusSink status;
    engine::DBEngine engine;
    CapturingWindows windows;
    // The longest stretch without letting window events run: how long the window would freeze.
    Clock::time_point lastYield = Clock::now();
    double longestGap = 0;
    db::Session session{engine, prompter, status, platform::SettingsStore(QDir::tempPath() + QStringLiteral("/veranth-bench-settings")),
                        platform::YieldHook([this] {
                            longestGap = std::max(longestGap, secondsSince(lastYield));
                            lastYield = Clock::now();
                        })};

    explicit OpenSession(const QString& path) {
        session.SetWindows(&windows);
        session.workspace = engine.createWorkspace(QStringLiteral("MainWS"), QStringLiteral("admin"), QString());
        session.database = engine.openDatabase(path);
        session.connection.databaseOpen = true;
        session.connection.dataType = QLatin1String(db::kAccessDataType);
        session.connection.viewMode = db::ViewMode::FieldForm;
        session.connection.recordsetType = db::RecordsetType::Dynaset;
    }
};

void BM_FieldFormFirstRecord(benchmark::State& state) {
    const QString path = BenchFile();
    OpenSession open(path);
    RawDb raw(path);
    double engineSeconds = 0, rawSeconds = 0;
    QString shown;
    for (auto _ : state) {
        auto start = Clock::now();
        views::ViewTable(open.session, QStringLiteral("Big"));
        TextsOnly view;
        views::DynaSnapForm form(open.session, open.windows.recordset, view);
        if (!form.Load()) state.SkipWithError("the view did not load");
        shown = view.status;
        benchmark::DoNotOptimize(view.boxes.data());
        const double e = secondsSince(start);
        engineSeconds += e;
        state.SetIterationTime(e);
        form.Unload();
        open.windows.recordset.reset();

        start = Clock::now();
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw.db, "SELECT rowid, ID, Name, Amount, Stamp FROM Big ORDER BY rowid LIMIT 1", -1, &stmt, nullptr);
        sqlite3_step(stmt);
        for (int c = 1; c <= 4; ++c) benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
        sqlite3_finalize(stmt);
        rawSeconds += secondsSince(start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["engine_ms"] = benchmark::Counter(engineSeconds * 1000.0 / n);
    state.counters["raw_ms"] = benchmark::Counter(rawSeconds * 1000.0 / n);
    state.SetLabel(shown.toStdString());
}
BENCHMARK(BM_FieldFormFirstRecord)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// A drag of the slider to the middle of the table: the first jump learns the whole key set.
void BM_FieldFormSliderJump(benchmark::State& state) {
    const QString path = BenchFile();
    OpenSession open(path);
    for (auto _ : state) {
        views::ViewTable(open.session, QStringLiteral("Big"));
        TextsOnly view;
        views::DynaSnapForm form(open.session, open.windows.recordset, view);
        form.Load();
        const auto start = Clock::now();
        open.lastYield = start;
        open.longestGap = 0;
        form.SliderChanged(form.Scale().max / 2);
        form.SliderChanged(form.SliderValue() + 1);
        state.SetIterationTime(secondsSince(start));
        state.counters["longest_freeze_ms"] = open.longestGap * 1000.0;
        state.SetLabel(view.status.toStdString());
        form.Unload();
        open.windows.recordset.reset();
    }
}
BENCHMARK(BM_FieldFormSliderJump)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
BENCHMARK_MAIN();
