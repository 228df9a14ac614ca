#pragma once

#include "engine/dbengine.h"
#include "engine/errors.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace veranth::engine::testing {

// A fresh engine and folder per test, and a Clients table most tests start from:
// ID (Long, auto-increment, primary key), Name (Text 20, required, unique), Balance
// (Currency), Joined (Date), Active (Boolean), Notes (Memo).
class EngineFixture : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    std::shared_ptr<Database> newDatabase(const QString& name = QStringLiteral("main")) {
        return engine.createDatabase(path(name));
    }

    void addClientsTable(Database& db) {
        auto t = db.createTableDef(QStringLiteral("Clients"));
        auto id = t->createField(QStringLiteral("ID"), FieldType::Long);
        id->setAttributes(field_attr::kFixed | field_attr::kAutoIncrement);
        t->fields().append(id);
        auto name = t->createField(QStringLiteral("Name"), FieldType::Text, 20);
        name->setRequired(true);
        t->fields().append(name);
        t->fields().append(t->createField(QStringLiteral("Balance"), FieldType::Currency));
        t->fields().append(t->createField(QStringLiteral("Joined"), FieldType::Date));
        t->fields().append(t->createField(QStringLiteral("Active"), FieldType::Boolean));
        auto notes = t->createField(QStringLiteral("Notes"), FieldType::Memo);
        notes->setAllowZeroLength(true);
        t->fields().append(notes);
        auto pk = t->createIndex(QStringLiteral("PrimaryKey"));
        pk->setFields(QStringLiteral("ID"));
        pk->setPrimary(true);
        t->indexes().append(pk);
        auto byName = t->createIndex(QStringLiteral("ByName"));
        byName->setFields(QStringLiteral("Name"));
        byName->setUnique(true);
        t->indexes().append(byName);
        db.tableDefs().append(t);
    }

    void addClient(Database& db, const QString& name, const Value& balance = Value::null()) {
        auto rs = db.openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
        rs->addNew();
        rs->field(QStringLiteral("Name"))->setValue(Value(name));
        rs->field(QStringLiteral("Balance"))->setValue(balance);
        rs->update();
    }

    QTemporaryDir dir;
    DBEngine engine;
};

inline int errorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace veranth::engine::testing
