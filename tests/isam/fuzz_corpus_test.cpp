#include "tests/fuzz/fuzz_readers.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Reader = std::function<bool(const QByteArray&)>;

struct Target {
    const char* corpus;
    Reader read;
};

const Target kTargets[] = {
    {"dbf", veranth::fuzzing::readDbfInput},
    {"text", veranth::fuzzing::readTextInput},
    {"xls", [](const QByteArray& b) { return veranth::fuzzing::readWorkbookInput(b, "T.xls"); }},
    {"xlsx", [](const QByteArray& b) { return veranth::fuzzing::readWorkbookInput(b, "T.xlsx"); }},
};

QList<QByteArray> corpusOf(const char* target) {
    QList<QByteArray> inputs;
    const QDir dir(QStringLiteral(VERANTH_FUZZ_CORPUS "/") + QString::fromLatin1(target));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) inputs << f.readAll();
    }
    return inputs;
}

// Each seed reads as the good file it is; its truncations and byte changes are read or
// refused with an engine error, never anything worse.
TEST(IsamFuzzCorpus, SeedsReadAndTheirDamagedVariantsAreReadOrRefused) {
    for (const auto& target : kTargets) {
        SCOPED_TRACE(target.corpus);
        const QList<QByteArray> seeds = corpusOf(target.corpus);
        ASSERT_FALSE(seeds.isEmpty());
        for (const QByteArray& seed : seeds) {
            EXPECT_TRUE(target.read(seed)) << "a seed of the corpus is refused";
            for (qsizetype n = 0; n < seed.size(); n += std::max<qsizetype>(1, seed.size() / 40)) target.read(seed.left(n));
            const char values[] = {'\0', '\xFF', '\x7F', '\x01'};
            for (qsizetype i = 0; i < seed.size(); i += std::max<qsizetype>(1, seed.size() / 80))
                for (char v : values) {
                    QByteArray bad = seed;
                    bad[i] = v;
                    target.read(bad);
                }
        }
    }
}

}  // namespace
