#include "engine_fixture.h"

#include <QFile>

using namespace veranth::engine;
using namespace veranth::engine::testing;

namespace {

class EngineSchema : public EngineFixture {};

TEST_F(EngineSchema, DesignSurvivesReopenWithTypesSizesAndFlags) {
    addClientsTable(*newDatabase());
    auto db = engine.openDatabase(path("main"));  // ".mdb" is resolved
    EXPECT_TRUE(db->name().endsWith(QStringLiteral("main.mdb")));
    auto t = db->tableDefs().item(QStringLiteral("CLIENTS"));  // names without regard to case
    ASSERT_EQ(t->fields().count(), 6);
    EXPECT_EQ(t->fields().item(0)->name(), QStringLiteral("ID"));
    EXPECT_TRUE(t->fields().item(QStringLiteral("id"))->info().isAutoIncrement());
    EXPECT_EQ(t->fields().item(QStringLiteral("Name"))->type(), FieldType::Text);
    EXPECT_EQ(t->fields().item(QStringLiteral("Name"))->size(), 20);
    EXPECT_TRUE(t->fields().item(QStringLiteral("Name"))->required());
    EXPECT_EQ(t->fields().item(QStringLiteral("Balance"))->type(), FieldType::Currency);
    EXPECT_EQ(t->fields().item(QStringLiteral("Notes"))->type(), FieldType::Memo);
    EXPECT_EQ(t->fields().item(QStringLiteral("Joined"))->ordinalPosition(), 3);
    ASSERT_EQ(t->indexes().count(), 2);
    EXPECT_TRUE(t->indexes().item(QStringLiteral("PrimaryKey"))->primary());
    EXPECT_TRUE(t->indexes().item(QStringLiteral("PrimaryKey"))->required());
    EXPECT_EQ(t->indexes().item(QStringLiteral("ByName"))->fields(), QStringLiteral("Name"));
    EXPECT_GT(t->dateCreated(), 30000);
    // Catalog tables are listed only when asked for, and carry the system bits.
    EXPECT_EQ(db->tableNames(), QStringList{QStringLiteral("Clients")});
    EXPECT_TRUE(db->tableNames(true).contains(QStringLiteral("MSysTables")));
    EXPECT_EQ(db->tableDefs().item(QStringLiteral("MSysTables"))->attributes() & table_attr::kSystem, table_attr::kSystem);
}

TEST_F(EngineSchema, DesignChangesKeepRowsAndRefusalsChangeNothing) {
    auto db = newDatabase();
    addClientsTable(*db);
    addClient(*db, QStringLiteral("Jones"), Value("12.34"));
    auto t = db->tableDefs().item(QStringLiteral("Clients"));
    t->fields().append(t->createField(QStringLiteral("Town"), FieldType::Text, 30));
    t->fields().item(QStringLiteral("Notes"))->setName(QStringLiteral("Remarks"));
    t->indexes().item(QStringLiteral("ByName"))->setName(QStringLiteral("NameIndex"));
    t->setName(QStringLiteral("Customers"));

    // Refused steps give their error and leave the design as it was.
    auto other = db->createTableDef(QStringLiteral("Other"));
    other->fields().append(other->createField(QStringLiteral("X"), FieldType::Long));
    db->tableDefs().append(other);
    EXPECT_EQ(errorNumberOf([&] { t->setName(QStringLiteral("other")); }), err::kTableExists);
    EXPECT_EQ(errorNumberOf([&] { t->fields().append(t->createField(QStringLiteral("town"), FieldType::Long)); }),
              err::kFieldDefinedTwice);
    EXPECT_NE(errorNumberOf([&] { t->fields().remove(QStringLiteral("Name")); }), 0);  // part of an index
    auto dupIndex = t->createIndex(QStringLiteral("Bad"));
    dupIndex->setFields(QStringLiteral("Balance"));
    dupIndex->setPrimary(true);
    EXPECT_EQ(errorNumberOf([&] { t->indexes().append(dupIndex); }), err::kNameExists);  // a second primary key
    EXPECT_EQ(errorNumberOf([&] { t->fields().item(QStringLiteral("Name"))->setSize(99); }), err::kPropertyReadOnly);

    auto reopened = engine.openDatabase(path("main.mdb"));
    auto c = reopened->tableDefs().item(QStringLiteral("Customers"));
    EXPECT_TRUE(c->fields().contains(QStringLiteral("Remarks")));
    EXPECT_TRUE(c->fields().contains(QStringLiteral("Town")));
    EXPECT_TRUE(c->indexes().contains(QStringLiteral("NameIndex")));
    EXPECT_EQ(c->indexes().count(), 2);
    EXPECT_EQ(c->recordCount(), 1);
    auto rs = reopened->openRecordset(QStringLiteral("Customers"));
    EXPECT_EQ(rs->field(QStringLiteral("Balance"))->value(), Value::currency(Currency{123400}));

    // A field cannot become Required while rows lack it; the field stays as it was.
    auto joined = c->fields().item(QStringLiteral("Joined"));
    EXPECT_EQ(errorNumberOf([&] { joined->setRequired(true); }), err::kRequiredIsNull);
    EXPECT_FALSE(joined->required());
    EXPECT_FALSE(engine.openDatabase(path("main"))->tableDefs().item(QStringLiteral("Customers"))->fields().item(QStringLiteral("Joined"))->required());

    c->fields().remove(QStringLiteral("Town"));
    EXPECT_FALSE(reopened->tableDefs().item(QStringLiteral("Customers"))->fields().contains(QStringLiteral("Town")));
    reopened->tableDefs().remove(QStringLiteral("Other"));
    EXPECT_FALSE(reopened->tableDefs().contains(QStringLiteral("Other")));
}

TEST_F(EngineSchema, PropertiesProbeReadOnlyAndTypes) {
    auto db = newDatabase();
    addClientsTable(*db);
    auto t = db->tableDefs().item(QStringLiteral("Clients"));
    Properties props = t->properties();
    Property& created = props.item(QStringLiteral("DateCreated"));
    EXPECT_TRUE(created.isReadOnly());
    EXPECT_EQ(errorNumberOf([&] { created.setValue(created.value()); }), err::kPropertyReadOnly);
    Property& rule = props.item(QStringLiteral("ValidationRule"));
    rule.setValue(rule.value());  // a writable one takes its own value
    Properties fieldProps = t->fields().item(QStringLiteral("Name"))->properties();
    EXPECT_EQ(errorNumberOf([&] { fieldProps.item(QStringLiteral("OrdinalPosition")).setValue(Value("abc")); }),
              err::kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { props.item(QStringLiteral("NoSuchThing")); }), err::kPropertyNotFound);
    props.item(QStringLiteral("Name")).setValue(Value("Renamed"));
    EXPECT_TRUE(db->tableDefs().contains(QStringLiteral("Renamed")));
}

TEST_F(EngineSchema, QueryDefsStoreTextTypeAndParameters) {
    auto db = newDatabase();
    addClientsTable(*db);
    addClient(*db, QStringLiteral("Jones"), Value("5"));
    addClient(*db, QStringLiteral("Smith"), Value("50"));
    struct Case {
        const char* sql;
        int type;
    };
    const Case cases[] = {
        {"SELECT * FROM Clients", query_type::kSelect},   {"DELETE FROM Clients", query_type::kDelete},
        {"UPDATE Clients SET Active = 0", query_type::kUpdate}, {"INSERT INTO Clients (Name) VALUES ('x')", query_type::kAppend},
        {"SELECT * INTO Copy FROM Clients", query_type::kMakeTable}, {"DROP TABLE Copy", query_type::kDdl},
        {"TRANSFORM Sum(x) SELECT y FROM t PIVOT z", query_type::kCrossTab},
        {"SELECT a FROM t UNION SELECT a FROM u", query_type::kSetOperation},
    };
    for (const auto& c : cases) EXPECT_EQ(queryTypeOf(QString::fromUtf8(c.sql), QString()), c.type) << c.sql;

    auto q = db->createQueryDef(QStringLiteral("Rich"),
                                QStringLiteral("PARAMETERS [Least] Currency; SELECT Name FROM Clients WHERE Balance >= [Least]"));
    ASSERT_EQ(q->parameters().count(), 1);
    auto reopened = engine.openDatabase(path("main"));
    auto stored = reopened->queryDefs().item(QStringLiteral("rich"));
    EXPECT_EQ(reopened->queryNames(), QStringList{QStringLiteral("Rich")});
    EXPECT_EQ(stored->parameters().item(0)->name(), QStringLiteral("Least"));
    EXPECT_EQ(errorNumberOf([&] { stored->openRecordset(RecordsetType::Snapshot); }), err::kTooFewParameters);
    stored->parameters().item(QStringLiteral("Least"))->setValue(Value("10"));
    auto rs = stored->openRecordset(RecordsetType::Snapshot);
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->field(0)->value(), Value("Smith"));
    EXPECT_EQ(errorNumberOf([&] { stored->execute(); }), err::kCannotExecuteSelect);
    EXPECT_EQ(errorNumberOf([&] { reopened->createQueryDef(QString(), QStringLiteral("SELECT 1"))->execute(); }),
              err::kCannotExecuteSelect);
    reopened->queryDefs().remove(QStringLiteral("Rich"));
    EXPECT_EQ(engine.openDatabase(path("main"))->queryDefs().count(), 0);
}

TEST_F(EngineSchema, OpeningResolvesNamesAndRejectsForeignFiles) {
    engine.createDatabase(path("test.MDB"))->close();
    EXPECT_TRUE(engine.openDatabase(path("test"))->name().endsWith(QStringLiteral("test.MDB")));
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(path("absent")); }), err::kFileNotFound);
    EXPECT_EQ(errorNumberOf([&] { engine.createDatabase(path("test.MDB")); }), err::kDatabaseExists);

    QFile text(path("notes.mdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some text, not a database at all");
    text.close();
    QFile old(path("old.mdb"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray("\x00\x01\x00\x00Standard Old DB\x00", 20) + QByteArray(2000, '\0'));
    old.close();
    try {
        engine.openDatabase(path("old.mdb"));
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), err::kDamagedDatabase);
        EXPECT_TRUE(e.description().contains(QStringLiteral("older proprietary format")));
    }
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(path("notes.mdb")); }), err::kDamagedDatabase);
    EXPECT_EQ(engine.errors().item(0).number, err::kDamagedDatabase);
}

TEST_F(EngineSchema, ExecuteRunsActionsAndRefusesSelects) {
    auto db = newDatabase();
    addClientsTable(*db);
    for (const char* n : {"Ann", "Bob", "Cy"}) addClient(*db, QString::fromUtf8(n), Value("1"));
    db->execute(QStringLiteral("UPDATE Clients SET Balance = Balance * 2"));
    EXPECT_EQ(db->recordsAffected(), 3);
    EXPECT_EQ(errorNumberOf([&] { db->execute(QStringLiteral("SELECT * FROM Clients")); }), err::kCannotExecuteSelect);
    EXPECT_EQ(errorNumberOf([&] { db->openRecordset(QStringLiteral("SELECT * FROM Nowhere")); }), err::kInputTableNotFound);
    EXPECT_EQ(engine.errors().item(0).number, err::kInputTableNotFound);
    db->execute(QStringLiteral("UPDATE Clients SET Active = -1"));  // a success leaves the last failure listed
    EXPECT_EQ(engine.errors().count(), 1);
    EXPECT_EQ(engine.errors().item(0).number, err::kInputTableNotFound);
    auto readOnly = engine.openDatabase(path("main"), 0, true);
    EXPECT_EQ(errorNumberOf([&] { readOnly->execute(QStringLiteral("DELETE FROM Clients")); }), err::kReadOnly);
    EXPECT_FALSE(readOnly->openRecordset(QStringLiteral("Clients"))->updatable());
}

}  // namespace

namespace {

class EngineAttached : public EngineFixture {};

TEST_F(EngineAttached, AttachedTablesAreListedOpenedAndWrittenThrough) {
    auto other = newDatabase(QStringLiteral("letters"));
    addClientsTable(*other);
    addClient(*other, QStringLiteral("Jones"));
    other->close();

    auto db = newDatabase();
    auto link = db->createTableDef(QStringLiteral("LetterClients"));
    link->setConnect(QStringLiteral(";DATABASE=") + path("letters.mdb"));
    link->setSourceTableName(QStringLiteral("Clients"));
    db->tableDefs().append(link);

    auto reopened = engine.openDatabase(path("main"));
    auto t = reopened->tableDefs().item(QStringLiteral("LetterClients"));
    EXPECT_EQ(t->attributes() & table_attr::kAttached, table_attr::kAttached);
    EXPECT_EQ(t->sourceTableName(), QStringLiteral("Clients"));
    EXPECT_EQ(t->fields().count(), 6);  // the source's design
    EXPECT_EQ(errorNumberOf([&] { reopened->openRecordset(QStringLiteral("LetterClients"), RecordsetType::Table); }),
              err::kNotSupported);
    auto rs = reopened->openRecordset(QStringLiteral("LetterClients"));
    EXPECT_EQ(rs->type(), RecordsetType::Dynaset);
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Jones"));

    auto ws = engine.defaultWorkspace();
    ws->beginTrans();
    rs->addNew();
    rs->field(QStringLiteral("Name"))->setValue(Value("Through the link"));
    rs->update();
    EXPECT_EQ(t->recordCount(), 2);
    ws->rollback();  // the workspace transaction covers the attached file too
    EXPECT_EQ(t->recordCount(), 1);
    rs->addNew();
    EXPECT_EQ(errorNumberOf([&] { rs->field(QStringLiteral("Name"))->setValue(Value(QString(30, QLatin1Char('x')))); }),
              err::kFieldTooSmall);  // the source's Size holds
    rs->field(QStringLiteral("Name"))->setValue(Value("Kept"));
    rs->update();

    reopened->tableDefs().remove(QStringLiteral("LetterClients"));  // deletes the link, not the source
    reopened->close();
    EXPECT_EQ(engine.openDatabase(path("letters"))->tableDefs().item(QStringLiteral("Clients"))->recordCount(), 2);

    auto missing = engine.openDatabase(path("main"));
    auto broken = missing->createTableDef(QStringLiteral("Broken"));
    broken->setConnect(QStringLiteral(";DATABASE=") + path("gone.mdb"));
    EXPECT_EQ(errorNumberOf([&] { missing->tableDefs().append(broken); }), err::kFileNotFound);
    EXPECT_FALSE(missing->tableDefs().contains(QStringLiteral("Broken")));
}

}  // namespace
