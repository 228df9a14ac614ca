// Parsing and translating the statements the utilities write: each must take under 50 microseconds.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/sql/dialect_translator.h"
#include "tests/sql/dialect_database.h"
#include "tests/sql/utility_statements.h"

namespace {

using veranth::engine::sql::DialectTranslator;
using veranth::engine::sql::StaticCatalog;
using veranth::engine::sql::testing::DialectDatabase;
using veranth::engine::sql::testing::UtilityStatement;
using veranth::engine::sql::testing::utilityStatements;

// The Corvane catalog, with the make-table targets absent and every other database the same one.
class BenchCatalog : public StaticCatalog {
public:
    const veranth::engine::sql::CatalogView* external(const QString&, const QString&) const override { return this; }
};

const DialectTranslator& translator() {
    static const DialectTranslator t = [] {
        DialectDatabase db;
        veranth::engine::sql::testing::createCorvaneSchema(db);
        auto catalog = std::make_shared<BenchCatalog>();
        for (const char* name : {"Customers", "Orders", "Order Details", "SystemOptions", "NewCounters", "Clients", "Users",
                                 "UserFurtherDetails", "DiaryEntries", "CashEntries", "Accounts", "Policies", "Transactions",
                                 "Schemes", "CommnPremiums", "FundHoldings", "PensionSchemes", "PensionPolicies", "SPPolicies",
                                 "TimeFeeEntries", "TimeFeeCharges", "ProviderCodes", "UnitPrices", "Managers", "Consultants",
                                 "CommissionCredits", "ClientExtraDetails", "ThirdPartyReferences", "DBTables", "DBColumns",
                                 "FirstPage", "LocalUser", "Debtors", "MortgageDetails", "CommissionPayaways", "CommnEntries",
                                 "Fees", "FeeOffsets", "FeeOffsetLinks", "PortfolioCommissions", "AccountingOptions",
                                 "PeriodBalances", "ClientGroups", "ClientGroupEntries", "Images", "DocumanBatch", "DiaryTypes",
                                 "DiaryTypeCategories"})
            catalog->addTable(*db.catalog().table(QString::fromLatin1(name)));
        veranth::engine::TableInfo work;
        work.name = QStringLiteral("Temp_Accounts");
        work.fields = db.catalog().table(QStringLiteral("Accounts"))->fields;
        catalog->addTable(work);
        return DialectTranslator(catalog);
    }();
    return t;
}

// Statements that fit the benchmark's one catalog (make-table targets there already exist).
bool translatable(const UtilityStatement& s) {
    try {
        translator().translate(s.text);
        return true;
    } catch (...) {
        return false;
    }
}

void translateOne(benchmark::State& state, const UtilityStatement* statement) {
    const DialectTranslator& t = translator();
    for (auto _ : state) benchmark::DoNotOptimize(t.translate(statement->text));
    state.SetLabel(std::to_string(statement->text.size()) + " chars");
}

void BM_SqlTranslateAllUtilityStatements(benchmark::State& state) {
    std::vector<const UtilityStatement*> statements;
    for (const UtilityStatement& s : utilityStatements())
        if (translatable(s)) statements.push_back(&s);
    const DialectTranslator& t = translator();
    for (auto _ : state)
        for (const UtilityStatement* s : statements) benchmark::DoNotOptimize(t.translate(s->text));
    state.counters["per_statement"] = benchmark::Counter(static_cast<double>(state.iterations() * statements.size()),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SqlTranslateAllUtilityStatements)->Unit(benchmark::kMicrosecond);

const bool registered = [] {
    const auto& statements = utilityStatements();
    for (size_t i = 0; i < statements.size(); ++i) {
        if (!translatable(statements[i])) continue;
        const std::string name = "BM_SqlTranslate/" + std::to_string(i) + "/" + statements[i].source;
        benchmark::RegisterBenchmark(name.c_str(), translateOne, &statements[i])->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
