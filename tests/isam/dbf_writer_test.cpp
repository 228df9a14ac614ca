#include "dbf_bytes.h"
#include "isam_fixture.h"

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

class IsamDbfWriter : public IsamFixture {
protected:
    std::shared_ptr<Database> openFolder(const QString& connect = QStringLiteral("dBase IV;")) {
        return engine.openDatabase(dir.path(), 0, false, connect);
    }
    // Clients: ID Long (primary key), Name Text 12 (unique), Joined Date, Notes Memo.
    void addClients(Database& db) {
        auto t = db.createTableDef(QStringLiteral("Clients"));
        t->fields().append(t->createField(QStringLiteral("ID"), FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("Name"), FieldType::Text, 12));
        t->fields().append(t->createField(QStringLiteral("Joined"), FieldType::Date));
        t->fields().append(t->createField(QStringLiteral("Notes"), FieldType::Memo));
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
    void addClient(Database& db, int id, const QString& name, const Value& notes = Value::null()) {
        auto rs = db.openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
        rs->addNew();
        rs->field(QStringLiteral("ID"))->setValue(Value::longValue(id));
        rs->field(QStringLiteral("Name"))->setValue(Value(name));
        rs->field(QStringLiteral("Notes"))->setValue(notes);
        rs->update();
    }
};

TEST_F(IsamDbfWriter, NewTablesAreRealDbfFiles) {
    auto db = openFolder();
    addClients(*db);
    addClient(*db, 1, QStringLiteral("Adams"), Value("a note"));
    addClient(*db, 2, QStringLiteral("Baker"));
    db->close();
    DBEngine second;  // the first engine's files are flushed when its objects go
    const QByteArray bytes = readFile(path(QStringLiteral("Clients.dbf")));
    ASSERT_GE(bytes.size(), 32);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x8B);  // dBase IV with a memo file
    EXPECT_EQ(bytes[4], 2);                                 // records
    const int headerLength = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    const int recordLength = static_cast<unsigned char>(bytes[10]) | (static_cast<unsigned char>(bytes[11]) << 8);
    EXPECT_EQ(headerLength, 32 + 4 * 32 + 1);
    EXPECT_EQ(recordLength, 1 + 11 + 12 + 8 + 10);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x57);  // Windows-1252
    EXPECT_EQ(bytes.mid(32, 3), QByteArray("ID\0", 3));
    EXPECT_EQ(bytes[32 + 11], 'N');
    EXPECT_EQ(bytes[headerLength - 1], '\x0D');
    EXPECT_EQ(bytes.mid(headerLength, 1 + 11 + 12 + 8), QByteArray("           1Adams       ") + QByteArray(8, ' '));
    EXPECT_EQ(bytes.size(), headerLength + 2 * recordLength + 1);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"Clients.dbf", "Clients.dbt", "Clients.vxi"}));
}

TEST_F(IsamDbfWriter, EditsAndDeletesAreWrittenToTheFile) {
    auto db = openFolder(QStringLiteral("FoxPro 2.6;"));
    addClients(*db);
    for (int i = 1; i <= 4; ++i) addClient(*db, i, QStringLiteral("Client %1").arg(i), Value(QStringLiteral("note %1").arg(i)));
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    rs->findFirst(QStringLiteral("ID = 2"));
    rs->edit();
    rs->field(QStringLiteral("Notes"))->setValue(Value(QString(3000, QLatin1Char('n'))));
    rs->field(QStringLiteral("Joined"))->setValue(Value("16/Apr/2004"));
    rs->update();
    rs->findFirst(QStringLiteral("ID = 3"));
    rs->remove();
    rs->close();
    db->close();

    DBEngine second;
    auto reopened = second.openDatabase(dir.path(), 0, true, QStringLiteral("FoxPro 2.6;"));
    const auto rows = rowsOf(*reopened, QStringLiteral("Clients"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][2], Value::date(dateSerial(2004, 4, 16)));
    EXPECT_EQ(rows[1][3], Value(QString(3000, QLatin1Char('n'))));
    EXPECT_EQ(rows[2][0], Value::longValue(4));
    EXPECT_EQ(reopened->tableDefs().item(QStringLiteral("Clients"))->recordCount(), 3);
    const QByteArray bytes = readFile(path(QStringLiteral("Clients.dbf")));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xF5);  // FoxPro 2 with a memo file
    const int headerLength = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    const int recordLength = static_cast<unsigned char>(bytes[10]) | (static_cast<unsigned char>(bytes[11]) << 8);
    EXPECT_EQ(bytes[headerLength + 2 * recordLength], '*');  // still there, marked deleted
}

TEST_F(IsamDbfWriter, ValuesTheFieldCannotHoldAreRefusedAndNothingIsWritten) {
    auto db = openFolder(QStringLiteral("dBase III;"));
    auto t = db->createTableDef(QStringLiteral("Ledger"));
    t->fields().append(t->createField(QStringLiteral("Amount"), FieldType::Currency));
    t->fields().append(t->createField(QStringLiteral("Day"), FieldType::Date));
    t->fields().append(t->createField(QStringLiteral("Payee"), FieldType::Text, 10));
    t->fields().append(t->createField(QStringLiteral("Memo"), FieldType::Memo));
    db->tableDefs().append(t);
    struct Case {
        const char* name;
        const char* field;
        Value value;
        int error;
        const char* fault;
    };
    const Case cases[] = {
        {"number wider than its field", "Amount", Value::currency(Currency{INT64_MIN}), err::kFieldTooSmall,
         "The field 'Amount' of 'Ledger.dbf' cannot hold the value: the number -922337203685477.5808 needs 21 characters"},
        {"time of day in a date field", "Day", Value::date(dateSerial(2004, 4, 16, 9, 30, 0)), err::kFieldTooSmall,
         "'Day' of 'Ledger.dbf' cannot hold the value: 16/04/2004 09:30:00 has a time of day"},
        {"character outside the code page", "Payee", Value(QString::fromUtf8("Ωmega")), err::kConversionError,
         "cannot hold the character 'Ω' (U+03a9): code page 1252"},
        {"text longer than its field", "Payee", Value(QStringLiteral("eleven char")), err::kFieldTooSmall, "'Payee'"},
        {"end marker inside a dBase III memo", "Memo", Value(QStringLiteral("a\x1A" "b")), err::kConversionError,
         "A dBase III memo"},
    };
    auto rs = db->openRecordset(QStringLiteral("Ledger"), RecordsetType::Dynaset);
    for (const auto& c : cases) {
        rs->addNew();
        const RaisedError e = errorOf([&] {
            rs->field(QString::fromLatin1(c.field))->setValue(c.value);
            rs->update();
        });
        EXPECT_EQ(e.number, c.error) << c.name;
        EXPECT_TRUE(e.description.contains(QString::fromUtf8(c.fault))) << c.name << ": " << e.description.toStdString();
        if (rs->editMode() != EditMode::None) rs->cancelUpdate();
    }
    EXPECT_EQ(db->tableDefs().item(QStringLiteral("Ledger"))->recordCount(), 0);
}

TEST_F(IsamDbfWriter, DesignsTheFlavourCannotHoldAreRefusedWithoutLeavingFiles) {
    struct Case {
        const char* name;
        const char* connect;
        const char* field;
        FieldType type;
        int size;
        const char* fault;
    };
    const Case cases[] = {
        {"name longer than 10 characters", "dBase IV;", "CustomerRef", FieldType::Long, 0, "longer than 10 characters"},
        {"name outside ASCII", "dBase IV;", "Größe", FieldType::Long, 0, "the character 'ö'"},
        {"text longer than a character field", "FoxPro 2.6;", "Wide", FieldType::Text, 255, "at most 254"},
        {"binary data in dBase III", "dBase III;", "Photo", FieldType::LongBinary, 0, "no field for"},
    };
    for (const auto& c : cases) {
        DBEngine fresh;
        auto db = fresh.openDatabase(dir.path(), 0, false, QString::fromLatin1(c.connect));
        auto t = db->createTableDef(QStringLiteral("Design"));
        t->fields().append(t->createField(QString::fromUtf8(c.field), c.type, c.size));
        const RaisedError e = errorOf([&] { db->tableDefs().append(t); });
        EXPECT_EQ(e.number, err::kNotSupported) << c.name;
        EXPECT_TRUE(e.description.contains(QString::fromUtf8(c.fault))) << c.name << ": " << e.description.toStdString();
        EXPECT_TRUE(e.description.contains(QStringLiteral("Design.dbf"))) << c.name << ": " << e.description.toStdString();
        EXPECT_EQ(filesIn(dir.path()), QStringList()) << c.name;
    }
}

TEST_F(IsamDbfWriter, EditingTextStoredAsUtf8CountsBytes) {
    DbfBytes t;
    t.languageDriver = 0;
    t.fields = {{"NAME", 'C', 4}};
    t.records = {QByteArray(" abcd")};
    writeFile(path(QStringLiteral("names.dbf")), t.build());
    writeFile(path(QStringLiteral("names.cpg")), "UTF-8");
    auto db = openFolder();
    auto rs = db->openRecordset(QStringLiteral("names"), RecordsetType::Dynaset);
    rs->edit();
    rs->field(0)->setValue(Value(QString::fromUtf8("éé")));  // 4 bytes: fits
    rs->update();
    rs->edit();
    rs->field(0)->setValue(Value(QString::fromUtf8("ééé")));  // 3 characters, 6 bytes
    const RaisedError e = errorOf([&] { rs->update(); });
    EXPECT_EQ(e.number, err::kFieldTooSmall);
    EXPECT_TRUE(e.description.contains(QStringLiteral("'NAME' of 'names.dbf'"))) << e.description.toStdString();
    EXPECT_TRUE(e.description.contains(QStringLiteral("takes 6 bytes and the field holds 4"))) << e.description.toStdString();
    rs->cancelUpdate();
    rs->requery();
    EXPECT_EQ(rs->field(0)->value(), Value(QString::fromUtf8("éé")));
}

TEST_F(IsamDbfWriter, IndexesLiveInTheSideCatalogueAndAreKept) {
    auto db = openFolder();
    addClients(*db);
    addClient(*db, 2, QStringLiteral("Baker"));
    addClient(*db, 1, QStringLiteral("Adams"));
    addClient(*db, 3, QStringLiteral("Carter"));
    const RaisedError duplicate = errorOf([&] { addClient(*db, 4, QStringLiteral("ADAMS")); });
    EXPECT_EQ(duplicate.number, err::kDuplicateKey);
    const RaisedError noKey = errorOf([&] {
        auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
        rs->addNew();
        rs->field(QStringLiteral("Name"))->setValue(Value("Nobody"));
        rs->update();
    });
    EXPECT_EQ(noKey.number, err::kRequiredIsNull);

    DBEngine second;
    auto reopened = second.openDatabase(dir.path(), 0, false, QStringLiteral("dBase IV;"));
    auto table = reopened->tableDefs().item(QStringLiteral("Clients"));
    ASSERT_EQ(table->indexes().count(), 2);
    EXPECT_TRUE(table->indexes().item(QStringLiteral("PrimaryKey"))->primary());
    auto rs = reopened->openRecordset(QStringLiteral("Clients"), RecordsetType::Table);
    rs->setIndex(QStringLiteral("ByName"));
    rs->seek(QStringLiteral(">="), {Value("b")});
    ASSERT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Baker"));
    rs->moveNext();
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Carter"));
    rs->setIndex(QStringLiteral("PrimaryKey"));
    rs->seek(QStringLiteral("="), {Value("3")});
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Carter"));
    rs->seek(QStringLiteral("="), {Value("9")});
    EXPECT_TRUE(rs->noMatch());

    // An index the rows already break is refused and not kept.
    auto byJoined = table->createIndex(QStringLiteral("ByJoined"));
    byJoined->setFields(QStringLiteral("Joined"));
    byJoined->setPrimary(true);
    EXPECT_EQ(errorOf([&] { table->indexes().append(byJoined); }).number, err::kNameExists);
    auto byNotes = table->createIndex(QStringLiteral("ByDay"));
    byNotes->setFields(QStringLiteral("Joined"));
    byNotes->setRequired(true);
    EXPECT_EQ(errorOf([&] { table->indexes().append(byNotes); }).number, err::kRequiredIsNull);
    table->indexes().remove(QStringLiteral("ByName"));
    DBEngine third;
    auto again = third.openDatabase(dir.path(), 0, false, QStringLiteral("dBase IV;"));
    EXPECT_EQ(again->tableDefs().item(QStringLiteral("Clients"))->indexes().names(), QStringList{QStringLiteral("PrimaryKey")});
}

TEST_F(IsamDbfWriter, DesignChangesRewriteTheTableKeepingItsRows) {
    auto db = openFolder(QStringLiteral("FoxPro 3.0;"));
    addClients(*db);
    for (int i = 1; i <= 3; ++i) addClient(*db, i, QStringLiteral("Client %1").arg(i), Value(QStringLiteral("note %1").arg(i)));
    auto table = db->tableDefs().item(QStringLiteral("Clients"));
    table->fields().append(table->createField(QStringLiteral("Balance"), FieldType::Currency));
    table->fields().item(QStringLiteral("Joined"))->setName(QStringLiteral("Since"));
    const auto rows = rowsOf(*db, QStringLiteral("Clients"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], (std::vector<Value>{Value::longValue(3), Value("Client 3"), Value::null(), Value("note 3"), Value::null()}));
    EXPECT_EQ(db->tableDefs().item(QStringLiteral("Clients"))->fields().names(),
              (QStringList{"ID", "Name", "Since", "Notes", "Balance"}));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"Clients.dbf", "Clients.fpt", "Clients.vxi"}));  // no temporary left
}

TEST_F(IsamDbfWriter, TablesAreCreatedRenamedAndDroppedWithTheirCompanions) {
    auto db = openFolder();
    addClients(*db);
    auto again = db->createTableDef(QStringLiteral("CLIENTS"));
    again->fields().append(again->createField(QStringLiteral("X"), FieldType::Long));
    EXPECT_EQ(errorOf([&] { db->tableDefs().append(again); }).number, err::kTableExists);
    db->tableDefs().item(QStringLiteral("Clients"))->setName(QStringLiteral("Customers"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"Customers.dbf", "Customers.dbt", "Customers.vxi"}));
    EXPECT_EQ(db->tableDefs().item(QStringLiteral("Customers"))->indexes().count(), 2);
    db->tableDefs().remove(QStringLiteral("customers"));
    EXPECT_EQ(filesIn(dir.path()), QStringList());
}

TEST_F(IsamDbfWriter, ClosingTheDatabaseWritesRowsOfRecordsetsStillOpen) {
    auto db = openFolder();
    addClients(*db);
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    for (int i = 1; i <= 3; ++i) {
        rs->addNew();
        rs->field(QStringLiteral("ID"))->setValue(Value::longValue(i));
        rs->update();
    }
    db->close();
    DBEngine second;
    auto reopened = second.openDatabase(dir.path(), 0, true, QStringLiteral("dBase IV;"));
    EXPECT_EQ(reopened->tableDefs().item(QStringLiteral("Clients"))->recordCount(), 3);
}

TEST_F(IsamDbfWriter, SnapshotsStayAsTheyWereOpened) {
    auto db = openFolder();
    addClients(*db);
    addClient(*db, 1, QStringLiteral("Adams"));
    auto snapshot = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Snapshot);
    auto dynaset = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    dynaset->edit();
    dynaset->field(QStringLiteral("Name"))->setValue(Value("Changed"));
    dynaset->update();
    addClient(*db, 2, QStringLiteral("Baker"));
    EXPECT_EQ(snapshot->field(QStringLiteral("Name"))->value(), Value("Adams"));
    snapshot->moveLast();
    EXPECT_EQ(snapshot->recordCount(), 1);
    dynaset->requery();
    dynaset->moveLast();
    EXPECT_EQ(dynaset->recordCount(), 2);
    EXPECT_FALSE(snapshot->updatable());
}

TEST_F(IsamDbfWriter, FilterSortAndFindWorkOverFiles) {
    auto db = openFolder();
    addClients(*db);
    addClient(*db, 1, QStringLiteral("Carter"));
    addClient(*db, 2, QStringLiteral("abbott"));
    addClient(*db, 3, QStringLiteral("Baker"));
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    rs->setFilter(QStringLiteral("ID >= 2"));
    rs->setSort(QStringLiteral("Name"));
    auto sorted = rs->openRecordset();
    std::vector<Value> names;
    for (; !sorted->eof(); sorted->moveNext()) names.push_back(sorted->field(QStringLiteral("Name"))->value());
    EXPECT_EQ(names, (std::vector<Value>{Value("abbott"), Value("Baker")}));
    rs->findFirst(QStringLiteral("Name Like 'b*'"));
    EXPECT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->field(QStringLiteral("ID"))->value(), Value::longValue(3));
    EXPECT_EQ(errorOf([&] { db->openRecordset(QStringLiteral("SELECT * FROM Clients WHERE ID = 1")); }).number, err::kNotSupported);
    auto plain = db->openRecordset(QStringLiteral("select * from [Clients]"));
    EXPECT_EQ(plain->type(), RecordsetType::Dynaset);
    EXPECT_EQ(errorOf([&] { db->openRecordset(QStringLiteral("Nowhere")); }).number, err::kInputTableNotFound);
}

}  // namespace
