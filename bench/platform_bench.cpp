#include "platform/cp1252.h"
#include "platform/site_profile.h"

#include <QTemporaryDir>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

using namespace veranth::platform;

// The provider files the utilities read are single-byte text of some megabytes.
void BM_DecodeCp1252(benchmark::State& state) {
    QByteArray bytes;
    for (int i = 0; i < state.range(0); ++i) bytes.append(static_cast<char>(0x20 + i % 0xE0));
    for (auto _ : state) benchmark::DoNotOptimize(DecodeCp1252(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeCp1252)->Arg(1 << 20);

void BM_EncodeCp1252(benchmark::State& state) {
    const QString text = DecodeCp1252(QByteArray(state.range(0), '\x93'));
    for (auto _ : state) benchmark::DoNotOptimize(EncodeCp1252(text));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_EncodeCp1252)->Arg(1 << 20);

// Menu items read the site profile each time they run.
void BM_ReadSiteSetting(benchmark::State& state) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("QOR32.INI")));
    file.open(QIODevice::WriteOnly);
    file.write("[Database Paths]\nDatabase Type=0\nMain=/srv/corvane/data/\nLocal=/srv/corvane/local/\n[Customise]\nAllowConvertDBID=True\n");
    file.close();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadSiteSetting(QStringLiteral("Customise"), QStringLiteral("AllowConvertDBID"), dir.path()));
}
BENCHMARK(BM_ReadSiteSetting);

}  // namespace

BENCHMARK_MAIN();
