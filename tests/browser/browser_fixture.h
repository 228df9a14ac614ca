#pragma once

#include "engine/field_type.h"
#include "tests/support/session_fixture.h"

namespace veranth::browser::testing {

// A native file open as the current database: Clients (ClientRef, Name indexed by ByName, a
// required Notes; an 80-character validation text on the table) and the stored query AllClients.
struct BrowserDatabase {
    veranth::testing::SessionFixture f;
    db::Session& s = f.session;
    const QString longText = QString(80, QLatin1Char('v'));

    BrowserDatabase() {
        f.LogIn();
        s.connection.dataType = QLatin1String(db::kAccessDataType);
        s.connection.databaseName = f.NewDatabase(QStringLiteral("main.mdb"));
        s.database = f.engine.openDatabase(s.connection.databaseName);
        s.connection.databaseOpen = true;
        auto t = s.database->createTableDef(QStringLiteral("Clients"));
        t->fields().append(t->createField(QStringLiteral("ClientRef"), engine::FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("Name"), engine::FieldType::Text, 30));
        auto notes = t->createField(QStringLiteral("Notes"), engine::FieldType::Text, 50);
        notes->setRequired(true);
        t->fields().append(notes);
        t->setValidationText(longText);
        auto index = t->createIndex(QStringLiteral("ByName"));
        index->setFields(QStringLiteral("Name"));
        t->indexes().append(index);
        s.database->tableDefs().append(t);
        s.database->createQueryDef(QStringLiteral("AllClients"), QStringLiteral("SELECT * FROM Clients"));
    }

    // The key of the property node of a field or index: its group's key, its own key, the name.
    static QString MemberPropertyKey(const char* group, const char* member, const char* property) {
        return QLatin1String(group) + QLatin1String(member) + QLatin1Char('>') + QLatin1String(property);
    }
};

}  // namespace veranth::browser::testing
