#pragma once

#include "engine_bench_files.h"

#include "tests/fixtures/corvane_sample.h"

// A Corvane main database whose cash book has `entries` entries over `accounts` accounts,
// made once and kept like the other benchmark files.
namespace veranth::bench {

inline QString corvaneCashBookFile(int accounts, long long entries) {
    const QString path = benchDir() + QStringLiteral("/corvane_cash_%1_%2.mdb").arg(accounts).arg(entries);
    if (QFileInfo::exists(path)) return path;
    QFile::remove(path + QStringLiteral(".part"));
    engine::DBEngine engine;
    auto db = fixtures::createCorvaneDatabase(engine, fixtures::CorvaneFile::Main, path + QStringLiteral(".part"));
    fixtures::addLargeCashBook(*db, 12, accounts, entries);
    db->close();
    QFile::rename(path + QStringLiteral(".part"), path);
    return path;
}

}  // namespace veranth::bench
