#include "tests/sql/corvane_site.h"

#include "engine/conversions.h"
#include "tests/fixtures/corvane_sample.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


namespace veranth::engine::sql::testing {

namespace {

// Every test runs in its own process, so the sample is built once per build of the test
// program and kept next to it; a folder is renamed into place whole, so a half-built one
// is never used.
QString builtSite() {
    const QString program = QStringLiteral(VERANTH_TEST_BIN_DIR "/sql_tests");
    const QString site = QStringLiteral(VERANTH_TEST_BIN_DIR "/corvane-sample-%1")
                             .arg(QFileInfo(program).lastModified().toSecsSinceEpoch());
    if (QFileInfo::exists(site)) return site;
    QTemporaryDir building(site + QStringLiteral("-XXXXXX"));
    DBEngine engine;
    fixtures::buildCorvaneDemoSite(engine, fixtures::CorvanePaths::inFolder(building.path()));
    if (QDir().rename(building.path(), site)) building.setAutoRemove(false);
    return site;
}

QString site;

}  // namespace

void CorvaneSite::SetUpTestSuite() {
    if (site.isEmpty()) site = builtSite();
}

void CorvaneSite::SetUp() {
    for (const QString& name : QDir(site).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(QDir(site).filePath(name), dir.filePath(name)));
    paths = fixtures::CorvanePaths::inFolder(dir.path());
}

std::shared_ptr<Database> CorvaneSite::open(fixtures::CorvaneFile which) {
    switch (which) {
    case fixtures::CorvaneFile::Main: return engine.openDatabase(paths.main);
    case fixtures::CorvaneFile::Local: return engine.openDatabase(paths.local);
    case fixtures::CorvaneFile::Letters: return engine.openDatabase(paths.letters);
    case fixtures::CorvaneFile::Ctp: return engine.openDatabase(paths.ctp);
    case fixtures::CorvaneFile::Annuity: return engine.openDatabase(paths.annuity);
    }
    return nullptr;
}

QString CorvaneSite::cell(const Value& v) {
    switch (v.type()) {
    case ValueType::Null:
    case ValueType::Empty: return QStringLiteral("Null");
    case ValueType::Boolean: return v.rawBool() ? QStringLiteral("True") : QStringLiteral("False");
    case ValueType::Currency: return currencyToText(v.rawCurrency());
    case ValueType::Date: {
        const DateParts d = splitDate(v.rawDouble());
        return QStringLiteral("%1-%2-%3 %4:%5")
            .arg(d.year)
            .arg(d.month, 2, 10, QLatin1Char('0'))
            .arg(d.day, 2, 10, QLatin1Char('0'))
            .arg(d.hour, 2, 10, QLatin1Char('0'))
            .arg(d.minute, 2, 10, QLatin1Char('0'));
    }
    default: return toText(v);
    }
}

QStringList CorvaneSite::rows(Database& db, const QString& statement) {
    QStringList out;
    auto rs = db.openRecordset(statement, RecordsetType::Snapshot);
    for (; !rs->eof(); rs->moveNext()) {
        QStringList fields;
        for (int i = 0; i < rs->fields().count(); ++i) fields << cell(rs->field(i)->value());
        out << fields.join(QLatin1Char('\t'));
    }
    return out;
}

}  // namespace veranth::engine::sql::testing
