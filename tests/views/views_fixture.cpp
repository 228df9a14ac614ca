#include "tests/views/views_fixture.h"

#include "engine/conversions.h"
#include "engine/field_type.h"

namespace veranth::views::testing {

using engine::FieldType;

void ViewsTest::SetUp() {
    f.LogIn();
    const QString otherPath = f.NewDatabase(QStringLiteral("other.mdb"));
    {
        auto other = f.engine.openDatabase(otherPath);
        auto t = other->createTableDef(QStringLiteral("Remote"));
        t->fields().append(t->createField(QStringLiteral("Code"), FieldType::Long));
        other->tableDefs().append(t);
        other->execute(QStringLiteral("INSERT INTO Remote (Code) VALUES (7)"));
        other->close();
    }
    s.database = f.engine.openDatabase(f.NewDatabase(QStringLiteral("main.mdb")));
    s.connection.databaseOpen = true;
    s.connection.dataType = QLatin1String(db::kAccessDataType);
    s.connection.viewMode = db::ViewMode::FieldForm;
    s.connection.recordsetType = db::RecordsetType::Dynaset;

    auto t = s.database->createTableDef(QStringLiteral("Customers"));
    t->fields().append(t->createField(QStringLiteral("ID"), FieldType::Long));
    t->fields().append(t->createField(QStringLiteral("Last Name"), FieldType::Text, 20));
    t->fields().append(t->createField(QStringLiteral("City"), FieldType::Text, 10));
    t->fields().append(t->createField(QStringLiteral("Amount"), FieldType::Currency));
    t->fields().append(t->createField(QStringLiteral("Notes"), FieldType::Memo));
    auto key = t->createIndex(QStringLiteral("PrimaryKey"));
    key->setFields(QStringLiteral("ID"));
    key->setPrimary(true);
    t->indexes().append(key);
    s.database->tableDefs().append(t);

    auto plain = s.database->createTableDef(QStringLiteral("Plain"));
    plain->fields().append(plain->createField(QStringLiteral("Code"), FieldType::Long));
    s.database->tableDefs().append(plain);

    auto link = s.database->createTableDef(QStringLiteral("CustomerLink"));
    link->setConnect(QStringLiteral(";DATABASE=") + otherPath);
    link->setSourceTableName(QStringLiteral("Remote"));
    s.database->tableDefs().append(link);
}

void ViewsTest::FillCustomers(int rows) {
    s.database->execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                       "INSERT INTO Customers (ID, [Last Name], City, Amount) "
                                       "SELECT i, CASE i WHEN 2 THEN 'Adams' ELSE 'Name' || i END, "
                                       "CASE i % 2 WHEN 0 THEN 'Leeds' ELSE 'York' END, i * 10000 FROM n")
                            .arg(rows),
                        engine::exec_option::kSqlPassThrough);
}

std::shared_ptr<engine::Recordset> ViewsTest::OpenCustomers(engine::RecordsetType type) {
    return s.database->openRecordset(QStringLiteral("Customers"), type);
}

QStringList ViewsTest::InputTitles() const {
    QStringList titles;
    for (const platform::PromptRecord& r : f.prompter.Records())
        if (r.kind == platform::PromptRecord::Kind::Input) titles.append(r.title + QLatin1Char('|') + r.text);
    return titles;
}

int ViewsTest::CountRows(const QString& table) {
    auto rs = s.database->openRecordset(QStringLiteral("SELECT Count(*) AS N FROM ") + table, engine::RecordsetType::Snapshot);
    return engine::toLong(rs->field(0)->value());
}

engine::Value ViewsTest::StoredValue(const QString& sql) {
    auto rs = s.database->openRecordset(sql, engine::RecordsetType::Snapshot);
    return rs->field(0)->value();
}

}  // namespace veranth::views::testing
