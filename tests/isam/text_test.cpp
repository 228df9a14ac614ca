#include "isam_fixture.h"

#include "engine/value_ops.h"

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

class IsamText : public IsamFixture {
protected:
    std::shared_ptr<Database> openText(DBEngine& e, bool readOnly = false) {
        return e.openDatabase(dir.path(), 0, readOnly, QStringLiteral("Text;"));
    }
    std::vector<std::vector<Value>> rowsIn(const QString& table) {
        DBEngine fresh;
        auto db = openText(fresh, true);
        return rowsOf(*db, table);
    }
};

TEST_F(IsamText, NativeToTextToNativeKeepsEveryValueOfEveryType) {
    auto native = engine.createDatabase(path(QStringLiteral("source.mdb")));
    auto t = native->createTableDef(QStringLiteral("AllTypes"));
    const std::pair<const char*, FieldType> fields[] = {
        {"Flag", FieldType::Boolean},  {"Small", FieldType::Byte},      {"Count", FieldType::Integer},   {"Total", FieldType::Long},
        {"Amount", FieldType::Currency}, {"Ratio", FieldType::Single},  {"Measure", FieldType::Double},  {"Stamp", FieldType::Date},
        {"Last Name", FieldType::Text}, {"Notes", FieldType::Memo},     {"Picture", FieldType::LongBinary},
    };
    for (const auto& [name, type] : fields) {
        auto f = t->createField(QString::fromLatin1(name), type, type == FieldType::Text ? 60 : 0);
        f->setAllowZeroLength(true);
        t->fields().append(f);
    }
    auto pk = t->createIndex(QStringLiteral("PrimaryKey"));
    pk->setFields(QStringLiteral("Total"));
    pk->setPrimary(true);
    t->indexes().append(pk);
    native->tableDefs().append(t);
    QByteArray allBytes;
    for (int b = 0; b < 256; ++b) allBytes.append(static_cast<char>(b));
    const std::vector<std::vector<Value>> rows = {
        {Value::boolean(true), Value::byte(255), Value::integer(-32768), Value::longValue(-2147483647 - 1),
         Value::currency(Currency{INT64_MIN}), Value::single(0.1f), Value::doubleValue(1.0 / 3.0),
         Value::date(dateSerial(2004, 4, 16, 13, 45, 7)), Value(QStringLiteral("O'Brien, \"Pat\"")),
         Value(QStringLiteral("line one\r\nline two\nline three\rend, with \"quotes\"") + QString(300, QLatin1Char('x'))),
         Value::binary(allBytes)},
        {Value::null(), Value::null(), Value::null(), Value::longValue(0), Value::null(), Value::null(), Value::null(),
         Value::null(), Value::null(), Value::null(), Value::null()},
        {Value::boolean(false), Value::byte(0), Value::integer(32767), Value::longValue(2147483647), Value::currency(Currency{INT64_MAX}),
         Value::single(-3.4e38f), Value::doubleValue(-1.7976931348623157e308), Value::date(dateSerial(1800, 1, 1)),
         Value(QString()), Value(QString()), Value::binary(QByteArray())},
        {Value::boolean(true), Value::byte(1), Value::integer(0), Value::longValue(1), Value::currency(Currency{1}), Value::single(0),
         Value::doubleValue(5e-324), Value::date(dateSerial(1899, 12, 29, 6, 0, 0)), Value(QString::fromUtf8("Zoë; tab\there")),
         Value(QStringLiteral("\"")), Value::binary(QByteArray("\0", 1))},
    };
    auto rs = native->openRecordset(QStringLiteral("AllTypes"), RecordsetType::Dynaset);
    for (const auto& row : rows) {
        rs->addNew();
        for (int i = 0; i < rs->fields().count(); ++i) rs->field(i)->setValue(row[static_cast<size_t>(i)]);
        rs->update();
    }
    const auto original = rowsOf(*native, QStringLiteral("AllTypes"));

    auto text = openText(engine);
    copyTable(*native, QStringLiteral("AllTypes"), *text, QStringLiteral("AllTypes"));
    EXPECT_EQ(text->tableDefs().item(QStringLiteral("AllTypes"))->indexes().count(), 0);
    text->close();
    const QByteArray ini = readFile(path(QStringLiteral("schema.ini")));
    EXPECT_TRUE(ini.contains("[AllTypes.txt]\r\nFormat=CSVDelimited\r\nColNameHeader=True\r\nCharacterSet=ANSI\r\nCol1=Flag Bit\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("Col9=\"Last Name\" Text Width 60\r\n")) << ini.toStdString();
    EXPECT_TRUE(readFile(path(QStringLiteral("AllTypes.txt"))).startsWith("\"Flag\",\"Small\",\"Count\""));

    EXPECT_EQ(rowsIn(QStringLiteral("AllTypes")), original);
    DBEngine second;
    auto reopened = openText(second, true);
    auto back = second.createDatabase(path(QStringLiteral("back.mdb")));
    copyTable(*reopened, QStringLiteral("AllTypes"), *back, QStringLiteral("AllTypes"));
    EXPECT_EQ(rowsOf(*back, QStringLiteral("AllTypes")), original);
}

TEST_F(IsamText, DelimitedFilesAreReadWhateverTheirLineEndsAndEncoding) {
    struct Case {
        const char* name;
        QByteArray bytes;
        std::vector<std::vector<Value>> rows;
    };
    const std::vector<std::vector<Value>> plain = {{Value::longValue(1), Value("Adams")}, {Value::longValue(2), Value("Baker")}};
    const Case cases[] = {
        {"CRLF", "ID,Name\r\n1,Adams\r\n2,Baker\r\n", plain},
        {"LF", "ID,Name\n1,Adams\n2,Baker\n", plain},
        {"CR", "ID,Name\r1,Adams\r2,Baker\r", plain},
        {"no final line end", "ID,Name\r\n1,Adams\r\n2,Baker", plain},
        {"blank lines", "ID,Name\r\n\r\n1,Adams\r\n\r\n2,Baker\r\n\r\n", plain},
        {"quoted header and text", "\"ID\",\"Name\"\r\n1,\"Adams\"\r\n2,\"Baker\"\r\n", plain},
        {"UTF-8 byte order mark", "\xEF\xBB\xBFID,Name\r\n1,Zo\xC3\xAB\r\n", {{Value::longValue(1), Value(QString::fromUtf8("Zoë"))}}},
        {"UTF-8 without a mark", "ID,Name\r\n1,Zo\xC3\xAB\r\n", {{Value::longValue(1), Value(QString::fromUtf8("Zoë"))}}},
        {"Windows-1252", "ID,Name\r\n1,Zo\xEB \x80\r\n", {{Value::longValue(1), Value(QString::fromUtf8("Zoë €"))}}},
        {"separator, quotes and line breaks inside quotes", "ID,Name\r\n1,\"Adams, \"\"Al\"\"\r\nJr\nSr\"\r\n",
         {{Value::longValue(1), Value(QStringLiteral("Adams, \"Al\"\r\nJr\nSr"))}}},
        {"empty quoted is text, empty is Null", "ID,Name\r\n1,\"\"\r\n,\r\n",
         {{Value::longValue(1), Value(QString())}, {Value::null(), Value::null()}}},
        {"fewer fields are Null", "ID,Name\r\n1\r\n", {{Value::longValue(1), Value::null()}}},
        {"a trailing separator", "ID,Name\r\n1,Adams,\r\n", {{Value::longValue(1), Value("Adams")}}},
    };
    for (const auto& c : cases) {
        writeFile(path(QStringLiteral("people.txt")), c.bytes);
        EXPECT_EQ(rowsIn(QStringLiteral("people")), c.rows) << c.name;
    }
}

TEST_F(IsamText, TypesAreGuessedFromTheDataWithoutSchemaIni) {
    writeFile(path(QStringLiteral("guess.csv")),
              "Whole,Real,When,Yes,Words,,Name\r\n"
              "1,1.5,2004-04-16,True,abc,x,a\r\n"
              "-20,3,16/Apr/2004 10:30,False,12,y,b\r\n"
              ",,,,,,c\r\n");
    DBEngine fresh;
    auto db = openText(fresh, true);
    EXPECT_EQ(db->tableNames(), QStringList{QStringLiteral("guess#csv")});
    auto table = db->tableDefs().item(QStringLiteral("guess#csv"));
    const FieldType expected[] = {FieldType::Long, FieldType::Double, FieldType::Date, FieldType::Boolean,
                                  FieldType::Text, FieldType::Text, FieldType::Text};
    ASSERT_EQ(table->fields().count(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(table->fields().item(i)->type(), expected[i]) << i;
    EXPECT_EQ(table->fields().item(5)->name(), QStringLiteral("F6"));
    const auto rows = rowsOf(*db, QStringLiteral("guess#csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][2], Value::date(dateSerial(2004, 4, 16, 10, 30, 0)));
    EXPECT_EQ(rows[1][4], Value("12"));
    EXPECT_EQ(rows[2][0], Value::null());
}

TEST_F(IsamText, SchemaIniDescribesOtherLayouts) {
    writeFile(path(QStringLiteral("schema.ini")),
              "[tabs.txt]\r\nFormat=TabDelimited\r\nColNameHeader=False\r\nCol1=Code Text Width 5\r\nCol2=Amount Currency\r\n"
              "; a comment\r\n[semi.txt]\r\nFormat=Delimited(;)\r\nColNameHeader=True\r\nCharacterSet=OEM\r\n"
              "[fixed.txt]\r\nFormat=FixedLength\r\nColNameHeader=False\r\nCharacterSet=UTF-8\r\n"
              "Col1=Code Text Width 4\r\nCol2=Born DateTime Width 10\r\nCol3=Owed Double Width 8\r\n");
    writeFile(path(QStringLiteral("tabs.txt")), "A1\t12.3456\r\nB2\t-0.5\r\n");
    writeFile(path(QStringLiteral("semi.txt")), "Name;City\r\n\x81" "ber;K\x94" "ln\r\n");
    writeFile(path(QStringLiteral("fixed.txt")), "X1  1961-03-04  120.50\r\nYé  2000-02-29   -3\r\n");
    EXPECT_EQ(rowsIn(QStringLiteral("tabs")), (std::vector<std::vector<Value>>{
                                                  {Value("A1"), Value::currency(Currency{123456})},
                                                  {Value("B2"), Value::currency(Currency{-5000})}}));
    EXPECT_EQ(rowsIn(QStringLiteral("semi")), (std::vector<std::vector<Value>>{{Value(QString::fromUtf8("über")), Value(QString::fromUtf8("Köln"))}}));
    EXPECT_EQ(rowsIn(QStringLiteral("fixed")),
              (std::vector<std::vector<Value>>{
                  {Value("X1"), Value::date(dateSerial(1961, 3, 4)), Value::doubleValue(120.5)},
                  {Value(QString::fromUtf8("Yé")), Value::date(dateSerial(2000, 2, 29)), Value::doubleValue(-3)}}));
}

TEST_F(IsamText, MalformedFilesAreRefusedNamingTheFileAndTheFault) {
    struct Case {
        const char* name;
        const char* file;
        QByteArray bytes;
        QByteArray schema;
        int error;
        const char* fault;
    };
    const Case cases[] = {
        {"quote never closed", "bad.txt", "ID,Name\r\n1,\"Adams\r\n2,Baker\r\n", "", err::kUnrecognizedFormat,
         "Cannot read 'bad.txt': record 2 has a quote at byte 12 that is never closed"},
        {"text after a closing quote", "bad.txt", "ID,Name\r\n1,\"Adams\"x\r\n", "", err::kUnrecognizedFormat,
         "record 2 has text after a closing quote"},
        {"more fields than the table", "bad.txt", "ID,Name\r\n1,Adams,extra\r\n", "[bad.txt]\r\nCol1=ID Long\r\nCol2=Name Text\r\n",
         err::kUnrecognizedFormat, "record 2 has 3 fields; the table has 2"},
        {"value that is not its type", "bad.txt", "ID,Name\r\n1,a\r\nx,b\r\n", "[bad.txt]\r\nCol1=ID Long\r\nCol2=Name Text\r\n",
         err::kConversionError, "Record 3 of 'bad.txt' holds a bad value in field 'ID': 'x' is not a Long value"},
        {"unknown format in schema.ini", "bad.txt", "ID\r\n1\r\n", "[bad.txt]\r\nFormat=Spreadsheet\r\n", err::kUnrecognizedFormat,
         "Cannot read 'schema.ini': line 2 names the unknown format 'Spreadsheet'"},
        {"unknown type in schema.ini", "bad.txt", "ID\r\n1\r\n", "[bad.txt]\r\nCol1=ID Number\r\n", err::kUnrecognizedFormat,
         "line 2 names the unknown type 'Number'"},
        {"fixed length without widths", "bad.txt", "ID\r\n1\r\n", "[bad.txt]\r\nFormat=FixedLength\r\nCol1=ID Long\r\n",
         err::kUnrecognizedFormat, "the fixed-length column 'ID' of [bad.txt] has no width"},
        {"mark against schema.ini", "bad.txt", "\xEF\xBB\xBFID\r\n1\r\n", "[bad.txt]\r\nCharacterSet=OEM\r\n", err::kUnrecognizedFormat,
         "starts with a UTF-8 byte order mark but schema.ini names code page 437"},
    };
    for (const auto& c : cases) {
        writeFile(path(QString::fromLatin1(c.file)), c.bytes);
        if (c.schema.isEmpty()) QFile::remove(path(QStringLiteral("schema.ini")));
        else writeFile(path(QStringLiteral("schema.ini")), c.schema);
        DBEngine fresh;
        auto db = openText(fresh, true);
        const RaisedError e = errorOf([&] { rowsOf(*db, QStringLiteral("bad")); });
        EXPECT_EQ(e.number, c.error) << c.name;
        EXPECT_TRUE(e.description.contains(QString::fromLatin1(c.fault))) << c.name << ": " << e.description.toStdString();
    }
}

TEST_F(IsamText, RowsAreAddedAtTheEndAndNeverChangedInPlace) {
    writeFile(path(QStringLiteral("log.txt")), "ID,Line\r\n1,first");  // no final line end
    auto db = openText(engine);
    EXPECT_FALSE(db->transactions());
    auto rs = db->openRecordset(QStringLiteral("log"), RecordsetType::Dynaset);
    rs->addNew();
    rs->field(0)->setValue(Value("2"));
    rs->field(1)->setValue(Value("second, with a comma"));
    rs->update();
    rs->moveFirst();
    rs->edit();
    rs->field(1)->setValue(Value("changed"));
    EXPECT_EQ(errorOf([&] { rs->update(); }).number, err::kNotSupported);
    rs->cancelUpdate();
    EXPECT_EQ(errorOf([&] { rs->remove(); }).number, err::kNotSupported);
    rs->addNew();
    rs->field(1)->setValue(Value(QString::fromUtf8("Ωmega")));
    const RaisedError e = errorOf([&] { rs->update(); });
    EXPECT_EQ(e.number, err::kConversionError);
    EXPECT_TRUE(e.description.contains(QStringLiteral("'Line' of 'log.txt'"))) << e.description.toStdString();
    rs->cancelUpdate();
    rs->close();
    db->close();
    EXPECT_EQ(readFile(path(QStringLiteral("log.txt"))), QByteArray("ID,Line\r\n1,first\r\n2,\"second, with a comma\"\r\n"));
    EXPECT_EQ(rowsIn(QStringLiteral("log")).size(), 2u);
    auto again = openText(engine);
    auto t = again->tableDefs().item(QStringLiteral("log"));
    auto index = t->createIndex(QStringLiteral("ByID"));
    index->setFields(QStringLiteral("ID"));
    EXPECT_EQ(errorOf([&] { t->indexes().append(index); }).number, err::kNotSupported);
}

TEST_F(IsamText, TablesAreCreatedRenamedAndDroppedWithTheirSchemaIniSection) {
    writeFile(path(QStringLiteral("schema.ini")), "[other.txt]\r\nFormat=TabDelimited\r\n");
    auto db = openText(engine);
    auto t = db->createTableDef(QStringLiteral("Export#csv"));
    t->fields().append(t->createField(QStringLiteral("ID"), FieldType::Long));
    db->tableDefs().append(t);
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("Export.csv"))));
    db->tableDefs().item(QStringLiteral("export#csv"))->setName(QStringLiteral("Renamed"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"Renamed.txt", "schema.ini"}));
    QByteArray ini = readFile(path(QStringLiteral("schema.ini")));
    EXPECT_TRUE(ini.startsWith("[other.txt]\r\nFormat=TabDelimited\r\n[Renamed.txt]\r\n")) << ini.toStdString();
    db->tableDefs().remove(QStringLiteral("Renamed"));
    EXPECT_EQ(readFile(path(QStringLiteral("schema.ini"))), QByteArray("[other.txt]\r\nFormat=TabDelimited\r\n"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("schema.ini")});
}

}  // namespace
