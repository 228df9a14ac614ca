// Parsing the statements the utilities write: each must take well under 50 microseconds.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/sql/parser.h"
#include "tests/sql/utility_statements.h"

namespace {

using veranth::engine::sql::parseStatement;
using veranth::engine::sql::testing::UtilityStatement;
using veranth::engine::sql::testing::utilityStatements;

void parseOne(benchmark::State& state, const UtilityStatement* statement) {
    for (auto _ : state) benchmark::DoNotOptimize(parseStatement(statement->text));
    state.SetLabel(std::to_string(statement->text.size()) + " chars");
}

// The whole set, reported per statement.
void BM_SqlParseAllUtilityStatements(benchmark::State& state) {
    const auto& statements = utilityStatements();
    for (auto _ : state)
        for (const UtilityStatement& statement : statements) benchmark::DoNotOptimize(parseStatement(statement.text));
    // Seconds per statement, shown with an SI prefix: "3.2u" is 3.2 microseconds.
    state.counters["per_statement"] = benchmark::Counter(static_cast<double>(state.iterations() * statements.size()),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SqlParseAllUtilityStatements)->Unit(benchmark::kMicrosecond);

const bool registered = [] {
    const auto& statements = utilityStatements();
    for (size_t i = 0; i < statements.size(); ++i) {
        const std::string name = "BM_SqlParse/" + std::to_string(i) + "/" + statements[i].source;
        benchmark::RegisterBenchmark(name.c_str(), parseOne, &statements[i])->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
