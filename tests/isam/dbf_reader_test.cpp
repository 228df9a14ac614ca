#include "dbf_bytes.h"
#include "isam_fixture.h"

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

// People: NAME C(10), BORN D, PAID L, OWED N(8,2).
DbfBytes people() {
    DbfBytes t;
    t.fields = {{"NAME", 'C', 10}, {"BORN", 'D', 8}, {"PAID", 'L', 1}, {"OWED", 'N', 8, 2}};
    t.records = {
        QByteArray(" Adams     19610304T  120.50"),
        QByteArray(" Baker     19990101F   -3.00"),
    };
    return t;
}

class IsamDbfReader : public IsamFixture {
protected:
    std::shared_ptr<Database> openFolder(const QString& connect = QStringLiteral("dBase IV;")) {
        return engine.openDatabase(dir.path(), 0, false, connect);
    }
    void write(const QString& name, const DbfBytes& table) { writeFile(path(name), table.build()); }
};

TEST_F(IsamDbfReader, ReadsTheStoredValuesAndSkipsDeletedRecords) {
    DbfBytes t = people();
    t.records.push_back(QByteArray("*Gone      20000101T    1.00"));
    t.records.push_back(QByteArray("           00000000?        "));
    write(QStringLiteral("PEOPLE.DBF"), t);
    auto db = openFolder(QStringLiteral("DBASE iv;"));
    ASSERT_EQ(db->tableNames(), QStringList{QStringLiteral("PEOPLE")});
    auto table = db->tableDefs().item(QStringLiteral("people"));
    EXPECT_EQ(table->fields().item(QStringLiteral("NAME"))->type(), FieldType::Text);
    EXPECT_EQ(table->fields().item(QStringLiteral("NAME"))->size(), 10);
    EXPECT_EQ(table->fields().item(QStringLiteral("BORN"))->type(), FieldType::Date);
    EXPECT_EQ(table->fields().item(QStringLiteral("PAID"))->type(), FieldType::Boolean);
    EXPECT_EQ(table->fields().item(QStringLiteral("OWED"))->type(), FieldType::Double);
    EXPECT_EQ(table->recordCount(), 3);
    const auto rows = rowsOf(*db, QStringLiteral("people"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<Value>{Value("Adams"), Value::date(dateSerial(1961, 3, 4)), Value::boolean(true),
                                           Value::doubleValue(120.5)}));
    EXPECT_EQ(rows[1][3], Value::doubleValue(-3));
    EXPECT_EQ(rows[2], (std::vector<Value>{Value::null(), Value::null(), Value::null(), Value::null()}));
}

TEST_F(IsamDbfReader, EdgeCasesOfStoredValues) {
    struct Case {
        const char* name;
        DbfBytes::Field field;
        QByteArray bytes;
        Value expected;
    };
    const Case cases[] = {
        {"logical y", {"F", 'L', 1}, "y", Value::boolean(true)},
        {"logical n", {"F", 'L', 1}, "n", Value::boolean(false)},
        {"logical blank", {"F", 'L', 1}, " ", Value::null()},
        {"date blank", {"F", 'D', 8}, "        ", Value::null()},
        {"leap day", {"F", 'D', 8}, "20000229", Value::date(dateSerial(2000, 2, 29))},
        {"number left-aligned", {"F", 'N', 6}, "42    ", Value::longValue(42)},
        {"number with plus", {"F", 'N', 6}, "   +42", Value::longValue(42)},
        {"short number", {"F", 'N', 4}, "-999", Value::integer(-999)},
        {"float exponent", {"F", 'F', 12, 2}, "     1.5E+03", Value::doubleValue(1500)},
        {"long number", {"F", 'N', 9}, "123456789", Value::longValue(123456789)},
        {"text trailing blanks", {"F", 'C', 6}, "ab    ", Value("ab")},
        {"text trailing NULs", {"F", 'C', 4}, QByteArray("ab\0\0", 4), Value("ab")},
        {"type in lower case", {"F", 'c', 3}, "abc", Value("abc")},
    };
    for (const auto& c : cases) {
        DbfBytes t;
        t.fields = {c.field};
        t.records = {QByteArray(" ") + c.bytes};
        write(QStringLiteral("edge.dbf"), t);
        DBEngine fresh;
        auto db = fresh.openDatabase(dir.path(), 0, true, QStringLiteral("dBase IV;"));
        const auto rows = rowsOf(*db, QStringLiteral("edge"));
        ASSERT_EQ(rows.size(), 1u) << c.name;
        EXPECT_EQ(rows[0][0], c.expected) << c.name << ": " << toDisplayText(rows[0][0]).toStdString();
    }
}

TEST_F(IsamDbfReader, TextIsDecodedFromTheFilesCodePage) {
    DbfBytes t;
    t.fields = {{"NAME", 'C', 4}};
    t.records = {QByteArray(" \x81\x82\x9A ")};  // ü é Ü in code page 437
    t.languageDriver = 0x01;
    write(QStringLiteral("oem.dbf"), t);
    t.languageDriver = 0x00;
    t.records = {QByteArray(" \xC3\xBC\xC3\xA9")};  // ü é in UTF-8, named by a .cpg file
    write(QStringLiteral("utf.dbf"), t);
    writeFile(path(QStringLiteral("UTF.CPG")), "UTF-8\n");
    t.records = {QByteArray(" \x80\x9C  ")};  // € œ in Windows-1252, the default
    write(QStringLiteral("plain.dbf"), t);
    auto db = openFolder();
    EXPECT_EQ(rowsOf(*db, QStringLiteral("oem"))[0][0], Value(QString::fromUtf8("üéÜ")));
    EXPECT_EQ(rowsOf(*db, QStringLiteral("utf"))[0][0], Value(QString::fromUtf8("üé")));
    EXPECT_EQ(rowsOf(*db, QStringLiteral("plain"))[0][0], Value(QString::fromUtf8("€œ")));
}

TEST_F(IsamDbfReader, MalformedFilesAreRefusedNamingTheFileAndTheFault) {
    struct Case {
        const char* name;
        std::function<QByteArray()> bytes;
        const char* fault;
    };
    const Case cases[] = {
        {"truncated header", [] { return people().build().left(20); }, "header is cut short"},
        {"header shorter than it says", [] { return people().build().left(70); }, "header is cut short"},
        {"record count beyond the file",
         [] {
             QByteArray b = people().build();
             b[4] = 50;
             return b;
         },
         "counts 50 records but the file holds only 2"},
        {"records cut short", [] { return people().build().left(people().build().size() - 20); }, "holds only 1"},
        {"unknown version", [] {
             QByteArray b = people().build();
             b[0] = 0x7F;
             return b;
         }, "not a dBase or FoxPro table"},
        {"unknown field type",
         [] {
             DbfBytes t = people();
             t.fields[1].type = 'X';
             return t.build();
         },
         "unknown type 'X'"},
        {"date field of the wrong length",
         [] {
             DbfBytes t = people();
             t.fields[1].length = 9;
             t.records = {};
             return t.build();
         },
         "'BORN' of type D is 9 bytes long instead of 8"},
        {"oversized numeric field",
         [] {
             DbfBytes t = people();
             t.fields[3].length = 60;
             t.records = {};
             return t.build();
         },
         "60 digits wide"},
        {"decimals wider than the field",
         [] {
             DbfBytes t = people();
             t.fields[3].decimals = 8;
             t.records = {};
             return t.build();
         },
         "8 decimals in a width of 8"},
        {"record length that does not match the fields",
         [] {
             QByteArray b = people().build();
             b[10] = 40;
             return b;
         },
         "record length 40 does not match its fields (28 bytes)"},
        {"field without a name",
         [] {
             DbfBytes t = people();
             t.fields[0].name = "";
             return t.build();
         },
         "field descriptor 1 has no name"},
        {"field defined twice",
         [] {
             DbfBytes t = people();
             t.fields[1].name = "name";
             t.fields[1].type = 'C';
             return t.build();
         },
         "the field 'name' is defined twice"},
        {"memo field without a memo file",
         [] {
             DbfBytes t;
             t.fields = {{"NOTES", 'M', 10}};
             t.version = 0x83;
             return t.build();
         },
         "memo file (bad.dbt) is missing"},
        {"dBase 7", [] {
             QByteArray b = people().build();
             b[0] = 0x04;
             return b;
         }, "dBase 7 tables are not supported"},
        {"record without a deleted flag",
         [] {
             DbfBytes t = people();
             t.records[1][0] = 'X';
             return t.build();
         },
         "record 2 starts with byte 0x58 instead of a deleted flag"},
    };
    for (const auto& c : cases) {
        writeFile(path(QStringLiteral("bad.dbf")), c.bytes());
        DBEngine fresh;
        auto db = fresh.openDatabase(dir.path(), 0, true, QStringLiteral("dBase IV;"));
        const RaisedError e = errorOf([&] { rowsOf(*db, QStringLiteral("bad")); });
        EXPECT_EQ(e.number, err::kUnrecognizedFormat) << c.name;
        EXPECT_TRUE(e.description.contains(QStringLiteral("bad.dbf"))) << c.name << ": " << e.description.toStdString();
        EXPECT_TRUE(e.description.contains(QString::fromLatin1(c.fault))) << c.name << ": " << e.description.toStdString();
        // The table is still listed, so the user sees it and the fault when opening it.
        EXPECT_TRUE(db->tableNames().contains(QStringLiteral("bad"))) << c.name;
    }
}

TEST_F(IsamDbfReader, StoredValuesThatAreNotValuesAreRefusedNamingFieldAndRecord) {
    struct Case {
        const char* name;
        QByteArray record;
        const char* fault;
    };
    const Case cases[] = {
        {"month 13", " Adams     19611304T  120.50", "field 'BORN': '19611304' is not a date"},
        {"letters in a date", " Adams     1961O304T  120.50", "'1961O304' is not a date"},
        {"overflow stars", " Adams     19610304T********", "field 'OWED': '********' is not a number"},
        {"two points", " Adams     19610304T   1.2.5", "'1.2.5' is not a number"},
        {"logical X", " Adams     19610304X  120.50", "field 'PAID': 'X' is not a logical value"},
    };
    for (const auto& c : cases) {
        DbfBytes t = people();
        t.records.push_back(c.record);
        writeFile(path(QStringLiteral("values.dbf")), t.build());
        DBEngine fresh;
        auto db = fresh.openDatabase(dir.path(), 0, true, QStringLiteral("dBase IV;"));
        const RaisedError e = errorOf([&] { rowsOf(*db, QStringLiteral("values")); });
        EXPECT_EQ(e.number, err::kConversionError) << c.name;
        EXPECT_TRUE(e.description.contains(QStringLiteral("Record 3 of 'values.dbf'"))) << c.name << ": " << e.description.toStdString();
        EXPECT_TRUE(e.description.contains(QString::fromLatin1(c.fault))) << c.name << ": " << e.description.toStdString();
    }
}

TEST_F(IsamDbfReader, DamagedMemoFilesAreRefusedNamingTheBlock) {
    DbfBytes t;
    t.version = 0x83;
    t.fields = {{"NOTES", 'M', 10}};
    t.records = {QByteArray("          1"), QByteArray("         99")};
    write(QStringLiteral("memo.dbf"), t);
    QByteArray memo(512, '\0');
    memo[0] = 2;
    memo += QByteArray("first note\x1A\x1A", 12);
    memo += QByteArray(500, '\0');
    writeFile(path(QStringLiteral("memo.dbt")), memo);
    auto db = openFolder(QStringLiteral("dBase III;"));
    auto rs = db->openRecordset(QStringLiteral("memo"), RecordsetType::Dynaset);
    EXPECT_EQ(rs->field(0)->value(), Value("first note"));
    rs->moveNext();
    const RaisedError e = errorOf([&] { rs->field(0)->value(); });
    EXPECT_EQ(e.number, err::kUnrecognizedFormat);
    EXPECT_TRUE(e.description.contains(QStringLiteral("memo.dbt': memo block 99 lies outside the memo file"))) << e.description.toStdString();
}

}  // namespace
