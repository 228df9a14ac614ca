// Every statement the utilities write translates against the Corvane tables and runs in SQLite.
#include <gtest/gtest.h>

#include <cctype>

#include "engine/errors.h"
#include "engine/sql/parser.h"
#include "engine/sql/table_references.h"
#include "tests/sql/dialect_database.h"
#include "tests/sql/utility_statements.h"

namespace veranth::engine::sql {
namespace {

using testing::DialectDatabase;
using testing::UtilityStatement;

// The tables a statement reads from another database exist there, shaped as at home.
void prepareExternalTables(DialectDatabase& db, const Statement& statement) {
    for (const TableUsage& usage : tableUsages(statement)) {
        if (usage.use != TableUse::Read || (!usage.external && !usage.name.connect)) continue;
        const QString name = usage.name.parts.join(QLatin1Char('.'));
        const TableInfo* home = db.catalog().table(name);
        std::vector<FieldInfo> fields;
        if (home) fields = home->fields;
        else {
            FieldInfo id;
            id.name = QStringLiteral("ID");
            id.type = FieldType::Long;
            fields.push_back(id);
        }
        db.createExternalTable(name, fields);
    }
}

// The cash account fix reads the work table its make-table statement leaves in the local file.
void makeWorkTableIfRead(DialectDatabase& db, const Statement& statement) {
    for (const TableUsage& usage : tableUsages(statement)) {
        if (usage.use != TableUse::Read || usage.name.table().compare(QStringLiteral("Temp_Accounts"), Qt::CaseInsensitive) != 0) continue;
        for (const UtilityStatement& s : testing::utilityStatements())
            if (std::string(s.source) == "cash accounts client fix") {
                prepareExternalTables(db, parseStatement(s.text));
                db.run(s.text);
            }
        return;
    }
}

class SqlTranslatedUtilityStatement : public ::testing::TestWithParam<UtilityStatement> {};

TEST_P(SqlTranslatedUtilityStatement, RunsOnTheCorvaneTables) {
    const UtilityStatement& statement = GetParam();
    SCOPED_TRACE(statement.text.toStdString());
    DialectDatabase db;
    testing::createCorvaneSchema(db);
    const Statement tree = parseStatement(statement.text);
    db.attachExternal();
    prepareExternalTables(db, tree);
    try {
        makeWorkTableIfRead(db, tree);
        const Translation t = db.translate(statement.text);
        EXPECT_EQ(t.type, statement.type);
        EXPECT_TRUE(t.parameters.empty()) << "a name did not resolve: " << t.parameters.front().name.toStdString();
        if (t.type != QueryType::DataDefinition) {
            db.run(statement.text);
            EXPECT_FALSE(t.sql.isEmpty());
        }
    } catch (const EngineError& e) {
        FAIL() << e.number() << " " << e.description().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Utilities, SqlTranslatedUtilityStatement, ::testing::ValuesIn(testing::utilityStatements()),
                         [](const ::testing::TestParamInfo<UtilityStatement>& info) {
                             std::string name = std::to_string(info.index) + "_" + info.param.source;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace veranth::engine::sql
