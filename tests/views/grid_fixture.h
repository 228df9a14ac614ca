#pragma once

#include "engine/database.h"
#include "engine/recordset.h"
#include "tests/support/session_fixture.h"

namespace veranth::testing {

// A session on a fresh native file holding People(ID Long primary, Name Text 20, Active Boolean,
// Photo Long Binary, Notes Memo) with `rows` rows: ID i, Name "Person i", Active for even i.
struct GridFixture : SessionFixture {
    std::shared_ptr<engine::Database> db;

    explicit GridFixture(int rows = 3, bool withIndex = true) {
        LogIn();
        db = engine.createDatabase(dir.File(QStringLiteral("grid.mdb")));
        session.database = db;
        session.connection.databaseOpen = true;
        session.connection.dataType = QStringLiteral("Microsoft Access");
        session.connection.databaseName = db->name();
        auto t = db->createTableDef(QStringLiteral("People"));
        t->fields().append(t->createField(QStringLiteral("ID"), engine::FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("Name"), engine::FieldType::Text, 20));
        t->fields().append(t->createField(QStringLiteral("Active"), engine::FieldType::Boolean));
        t->fields().append(t->createField(QStringLiteral("Photo"), engine::FieldType::LongBinary));
        t->fields().append(t->createField(QStringLiteral("Notes"), engine::FieldType::Memo));
        if (withIndex) {
            auto i = t->createIndex(QStringLiteral("PrimaryKey"));
            i->setFields(QStringLiteral("ID"));
            i->setPrimary(true);
            t->indexes().append(i);
        }
        db->tableDefs().append(t);
        AddRows(1, rows);
    }

    void AddRows(int from, int to) {
        if (to < from) return;
        db->execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                                   "INSERT INTO People (ID, Name, Active) SELECT i, 'Person ' || i, "
                                   "CASE WHEN i % 2 = 0 THEN -1 ELSE 0 END FROM n")
                        .arg(from)
                        .arg(to),
                    engine::exec_option::kSqlPassThrough);
    }

    std::shared_ptr<engine::Recordset> Open(engine::RecordsetType type = engine::RecordsetType::Dynaset,
                                            const QString& source = QStringLiteral("People")) {
        return db->openRecordset(source, type);
    }

    // The Name of the row with this ID, as stored.
    QString StoredName(int id) {
        auto rs = db->openRecordset(QStringLiteral("SELECT Name FROM People WHERE ID = %1").arg(id),
                                    engine::RecordsetType::Snapshot);
        return rs->eof() ? QStringLiteral("<none>") : rs->field(0)->value().rawString();
    }
    qint64 StoredCount() {
        auto rs = db->openRecordset(QStringLiteral("SELECT Count(*) FROM People"), engine::RecordsetType::Snapshot);
        return rs->field(0)->value().rawInteger();
    }
};

}  // namespace veranth::testing
