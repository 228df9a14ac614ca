#include "tests/repairs/repair_fixture.h"

#include "engine/conversions.h"
#include "engine/dbengine.h"
#include "engine/errors.h"
#include "tests/fixtures/corvane_sample.h"

#include <QDir>

namespace veranth::testing {

DatabaseContents ContentsOf(engine::Database& db) {
    DatabaseContents contents;
    for (const QString& table : db.tableNames(false)) {
        QStringList rows;
        auto rs = db.openRecordset(QStringLiteral("SELECT * FROM [%1]").arg(table), engine::RecordsetType::Snapshot);
        const int columns = rs->fields().count();
        for (; !rs->eof(); rs->moveNext()) {
            QStringList cells;
            for (int c = 0; c < columns; ++c) {
                const engine::Value v = rs->fieldValue(c);
                cells.append(v.isNull() ? QStringLiteral("<null>") : engine::Value::typeName(v.type()) + QLatin1Char(':') + engine::toText(v));
            }
            rows.append(cells.join(QLatin1Char('|')));
        }
        rs->close();
        rows.sort();
        contents.insert(table, rows);
    }
    return contents;
}

RepairFixture::RepairFixture(bool withSample, int branchId) {
    session.SetWindows(&windows);
    QDir().mkpath(dir.File(QStringLiteral("data")));
    paths = fixtures::CorvanePaths::inFolder(dir.File(QStringLiteral("data")));
    paths.security.clear();
    paths.annuity.clear();
    fixtures::createCorvaneDatabases(engine, paths);
    if (withSample) fixtures::addCorvaneSample(engine, paths, branchId, {});
    else fixtures::addRows(*engine.openDatabase(paths.main), QStringLiteral("SystemOptions"), {QStringLiteral("BranchID")},
                           {{fixtures::longValue(branchId)}});
    WriteProfile();
    session.workspace = engine.createWorkspace(QStringLiteral("MainWS"), QStringLiteral("admin"), QString());
    engine.workspaces().append(session.workspace);
    session.database = session.workspace->openDatabase(paths.main);
    session.connection.databaseOpen = true;
    session.connection.dataType = QLatin1String(db::kAccessDataType);
    session.connection.databaseName = paths.main;
}

std::shared_ptr<engine::Database> RepairFixture::Open(const QString& path) { return session.workspace->openDatabase(path); }

QStringList RepairFixture::Messages() const {
    QStringList texts;
    for (const platform::PromptRecord& r : prompter.Records())
        if (r.kind == platform::PromptRecord::Kind::Message) texts.append(QLatin1Char('[') + r.title + QStringLiteral("] ") + r.text);
    return texts;
}

void RepairFixture::FailAtYield(int yields) {
    auto left = std::make_shared<int>(yields);
    onYield = [left] {
        if ((*left)-- == 0) throw engine::EngineError(engine::err::kLocked);
    };
}

void RepairFixture::Sql(const QString& statement) { Main().execute(statement, engine::exec_option::kFailOnError); }

QString RepairFixture::Scalar(const QString& query) {
    auto rs = Main().openRecordset(query, engine::RecordsetType::Snapshot);
    const QString text = rs->eof() ? QString() : engine::toDisplayText(rs->fieldValue(0));
    rs->close();
    return text;
}

QStringList RepairFixture::Column(const QString& query, engine::Database* db) {
    auto rs = (db ? *db : Main()).openRecordset(query, engine::RecordsetType::Snapshot);
    QStringList values;
    for (; !rs->eof(); rs->moveNext()) values.append(engine::toDisplayText(rs->fieldValue(0)));
    rs->close();
    return values;
}

void RepairFixture::WriteProfile(const QString& extraPaths, const QString& customise) {
    const QString data = dir.File(QStringLiteral("data")) + QLatin1Char('/');
    const QString text = QStringLiteral("[Database Paths]\nDatabase Type=0\nMain=%1\nLocal=%1\n%2\n[Customise]\n%3\n")
                             .arg(data, extraPaths, customise);
    dir.Write(QStringLiteral("site/QOR32.INI"), text.toUtf8());
}

}  // namespace veranth::testing
