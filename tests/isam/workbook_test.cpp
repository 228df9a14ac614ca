#include "isam_fixture.h"
#include "workbook_files.h"

#include <freexl.h>

#include "engine/value_ops.h"

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

struct WorkbookKind {
    const char* file;
};
void PrintTo(const WorkbookKind& k, std::ostream* os) { *os << k.file; }

const std::pair<const char*, FieldType> kAllFields[] = {
    {"Flag", FieldType::Boolean},    {"Small", FieldType::Byte},  {"Count", FieldType::Integer},
    {"Total", FieldType::Long},      {"Amount", FieldType::Currency}, {"Ratio", FieldType::Single},
    {"Measure", FieldType::Double},  {"Stamp", FieldType::Date},  {"Name", FieldType::Text},
    {"Notes", FieldType::Memo},
};

std::vector<std::vector<Value>> allTypeRows() {
    return {
        {Value::boolean(true), Value::byte(255), Value::integer(-32768), Value::longValue(-2147483647 - 1),
         Value::currency(Currency{-9007199254740992}), Value::single(1.5f), Value::doubleValue(0.1 + 0.2),
         Value::date(dateSerial(2004, 4, 16, 13, 45, 59)), Value(QStringLiteral("Zoë Ångström, €12 «façade» 日本")),
         Value(QString(16384, QChar(0x00E9)))},
        {Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
         Value::null(), Value::null()},
        {Value::boolean(false), Value::byte(0), Value::integer(32767), Value::longValue(2147483647), Value::currency(Currency{1}),
         Value::single(-2.5e-20f), Value::doubleValue(-1.7976931348623157e308), Value::date(dateSerial(2100, 2, 28, 23, 59, 59)),
         Value(QStringLiteral("-")), Value(QStringLiteral("line one\r\nline two"))},
        {Value::boolean(true), Value::byte(7), Value::integer(0), Value::longValue(0), Value::currency(Currency{123456789012345}),
         Value::single(0), Value::doubleValue(5e-324), Value::date(dateSerial(1900, 3, 1)), Value(QStringLiteral("  blanks _x0041_ kept  ")),
         Value(QStringLiteral("x"))},
    };
}

class IsamWorkbook : public IsamFixture, public ::testing::WithParamInterface<WorkbookKind> {
protected:
    QString book() const { return path(QString::fromLatin1(GetParam().file)); }

    static void makeTable(Database& db, const QString& name) {
        auto t = db.createTableDef(name);
        for (const auto& [field, type] : kAllFields) {
            auto f = t->createField(QString::fromLatin1(field), type, type == FieldType::Text ? 60 : 0);
            if (type == FieldType::Text || type == FieldType::Memo) f->setAllowZeroLength(true);
            t->fields().append(f);
        }
        db.tableDefs().append(t);
    }
    static void addRows(Database& db, const QString& table, const std::vector<std::vector<Value>>& rows) {
        auto rs = db.openRecordset(table, RecordsetType::Dynaset);
        for (const auto& row : rows) {
            rs->addNew();
            for (int i = 0; i < rs->fields().count(); ++i) rs->field(i)->setValue(row[static_cast<size_t>(i)]);
            rs->update();
        }
    }
};

TEST_P(IsamWorkbook, NativeToWorkbookToNativeKeepsEveryValueAndType) {
    auto native = engine.createDatabase(path(QStringLiteral("source.mdb")));
    makeTable(*native, QStringLiteral("AllTypes"));
    addRows(*native, QStringLiteral("AllTypes"), allTypeRows());
    const auto original = rowsOf(*native, QStringLiteral("AllTypes"));
    {
        auto xl = engine.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
        copyTable(*native, QStringLiteral("AllTypes"), *xl, QStringLiteral("Exported"));
        xl->close();
    }
    DBEngine second;
    auto reopened = second.openDatabase(book(), 0, true, QStringLiteral("Excel 5.0;"));
    EXPECT_EQ(reopened->tableNames(), QStringList{QStringLiteral("Exported")});
    auto table = reopened->tableDefs().item(QStringLiteral("Exported"));
    auto source = native->tableDefs().item(QStringLiteral("AllTypes"));
    ASSERT_EQ(table->fields().count(), source->fields().count());
    for (int i = 0; i < table->fields().count(); ++i)
        EXPECT_EQ(table->fields().item(i)->type(), source->fields().item(i)->type()) << table->fields().item(i)->name().toStdString();
    const auto fromBook = rowsOf(*reopened, QStringLiteral("Exported"));
    ASSERT_EQ(fromBook.size(), original.size());
    for (size_t r = 0; r < original.size(); ++r)
        for (size_t c = 0; c < original[r].size(); ++c)
            EXPECT_EQ(fromBook[r][c], original[r][c]) << "row " << r << " field " << kAllFields[c].first;
    auto back = engine.createDatabase(path(QStringLiteral("back.mdb")));
    copyTable(*reopened, QStringLiteral("Exported"), *back, QStringLiteral("AllTypes"));
    EXPECT_EQ(rowsOf(*back, QStringLiteral("AllTypes")), original);
}

// Written by another program: no catalogue beside it. Each column reads as the one kind of
// value it holds, and the workbook is not written again.
TEST_P(IsamWorkbook, AWorkbookWithoutItsCatalogueIsReadByItsCellsAndNotRewritten) {
    {
        auto xl = engine.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
        makeTable(*xl, QStringLiteral("T"));
        addRows(*xl, QStringLiteral("T"), allTypeRows());
        xl->close();
    }
    ASSERT_TRUE(QFile::remove(book() + QStringLiteral(".vxi")));
    const QByteArray before = readFile(book());
    DBEngine second;
    auto db = second.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
    auto t = db->tableDefs().item(QStringLiteral("T"));
    const bool xls = book().endsWith(QLatin1String(".xls"));
    const std::vector<FieldType> expected = {
        xls ? FieldType::Double : FieldType::Boolean, FieldType::Double, FieldType::Double, FieldType::Double, FieldType::Double,
        FieldType::Double, FieldType::Double, FieldType::Date, FieldType::Text, FieldType::Memo};
    for (int i = 0; i < t->fields().count(); ++i) EXPECT_EQ(t->fields().item(i)->type(), expected[static_cast<size_t>(i)]) << i;
    const auto rows = rowsOf(*db, QStringLiteral("T"));
    const auto original = allTypeRows();
    ASSERT_EQ(rows.size(), original.size());
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            EXPECT_EQ(rows[r][c].isNull(), original[r][c].isNull()) << r << "," << c;
            if (rows[r][c].isNull()) continue;
            Value want = original[r][c];
            if (xls && want.type() == ValueType::Boolean) want = Value::doubleValue(want.rawBool() ? 1 : 0);
            EXPECT_EQ(compare(rows[r][c], want), 0) << r << "," << c;
        }
    auto rs = db->openRecordset(QStringLiteral("T"), RecordsetType::Dynaset);
    EXPECT_FALSE(rs->updatable());
    const RaisedError e = errorOf([&] { db->tableDefs().remove(QStringLiteral("T")); });
    EXPECT_EQ(e.number, err::kNotSupported);
    EXPECT_TRUE(e.description.contains(QStringLiteral("another program"))) << e.description.toStdString();
    EXPECT_EQ(readFile(book()), before);
}

TEST_P(IsamWorkbook, ValuesAndDesignsTheFormatCannotHoldAreRefused) {
    auto db = engine.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
    auto t = db->createTableDef(QStringLiteral("Bad:Name"));
    t->fields().append(t->createField(QStringLiteral("A"), FieldType::Long));
    EXPECT_EQ(errorOf([&] { db->tableDefs().append(t); }).number, err::kNotSupported);
    auto b = db->createTableDef(QStringLiteral("Pictures"));
    b->fields().append(b->createField(QStringLiteral("P"), FieldType::LongBinary));
    EXPECT_EQ(errorOf([&] { db->tableDefs().append(b); }).number, err::kNotSupported);
    EXPECT_FALSE(QFileInfo::exists(book()));

    makeTable(*db, QStringLiteral("T"));
    auto rs = db->openRecordset(QStringLiteral("T"), RecordsetType::Dynaset);
    struct Case {
        int field;
        Value value;
    };
    const Case cases[] = {
        {9, Value(QString(32768, QLatin1Char('x')))},                 // longer than a cell holds
        {4, Value::currency(Currency{9007199254740993})},           // more digits than a double keeps
        {7, Value::date(dateSerial(1900, 2, 28))},                   // before the calendars agree
        {6, Value::doubleValue(std::numeric_limits<double>::infinity())},
    };
    for (const auto& c : cases) {
        rs->addNew();
        rs->field(c.field)->setValue(c.value);
        EXPECT_EQ(errorOf([&] { rs->update(); }).number, err::kFieldTooSmall) << c.field;
        rs->cancelUpdate();
    }
    if (book().endsWith(QLatin1String(".xls"))) {
        rs->addNew();
        // The .xls reader keeps dates to the second and texts within two records of its string table.
        const Case xlsCases[] = {{7, Value::date(dateSerial(2004, 4, 16) + 0.5 / 86400.0)},
                                 {9, Value(QString(16385, QChar(0x00E9)))},
                                 {8, Value(QString())},
                                 {7, Value::date(dateSerial(2100, 3, 1))},
                                 {9, Value(QString(8193, QChar(0x263A)))}};
        for (const auto& c : xlsCases) {
            rs->addNew();
            rs->field(c.field)->setValue(c.value);
            EXPECT_EQ(errorOf([&] { rs->update(); }).number, err::kFieldTooSmall) << c.field;
            rs->cancelUpdate();
        }
    }
    rs->close();
    db->close();
    EXPECT_TRUE(rowsOf(*engine.openDatabase(book(), 0, true, QStringLiteral("Excel 5.0;")), QStringLiteral("T")).empty());
}

TEST_P(IsamWorkbook, IndexesAreAcceptedAndNotKept) {
    auto native = engine.createDatabase(path(QStringLiteral("source.mdb")));
    makeTable(*native, QStringLiteral("T"));
    auto td = native->tableDefs().item(QStringLiteral("T"));
    auto index = td->createIndex(QStringLiteral("PrimaryKey"));
    index->setFields(QStringLiteral("Total"));
    index->setPrimary(true);
    td->indexes().append(index);
    auto xl = engine.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
    copyTable(*native, QStringLiteral("T"), *xl, QStringLiteral("T"));
    xl->tableDefs().refresh();
    EXPECT_EQ(xl->tableDefs().item(QStringLiteral("T"))->indexes().count(), 0);
    EXPECT_EQ(errorOf([&] { xl->tableDefs().item(QStringLiteral("T"))->indexes().remove(QStringLiteral("PrimaryKey")); }).number,
              err::kItemNotFound);
}

TEST_P(IsamWorkbook, SheetsAreAddedDroppedRenamedAndReshaped) {
    auto db = engine.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
    for (const char* name : {"First", "Second"}) {
        auto t = db->createTableDef(QString::fromLatin1(name));
        t->fields().append(t->createField(QStringLiteral("N"), FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("S"), FieldType::Text, 10));
        db->tableDefs().append(t);
        addRows(*db, QString::fromLatin1(name), {{Value::longValue(1), Value("one")}, {Value::longValue(2), Value("two")}});
    }
    auto second = db->tableDefs().item(QStringLiteral("Second"));
    second->fields().append(second->createField(QStringLiteral("Extra"), FieldType::Double));
    second->fields().item(QStringLiteral("S"))->setName(QStringLiteral("Word"));
    db->tableDefs().item(QStringLiteral("First"))->setName(QStringLiteral("Renamed"));
    auto existing = db->createTableDef(QStringLiteral("renamed"));
    existing->fields().append(existing->createField(QStringLiteral("N"), FieldType::Long));
    EXPECT_EQ(errorOf([&] { db->tableDefs().append(existing); }).number, err::kTableExists);
    db->close();

    DBEngine other;
    auto reopened = other.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
    EXPECT_EQ(reopened->tableNames(), (QStringList{QStringLiteral("Renamed"), QStringLiteral("Second")}));
    const auto rows = rowsOf(*reopened, QStringLiteral("Second"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (std::vector<Value>{Value::longValue(2), Value("two"), Value::null()}));
    EXPECT_EQ(reopened->tableDefs().item(QStringLiteral("Second"))->fields().item(1)->name(), QStringLiteral("Word"));
    reopened->tableDefs().remove(QStringLiteral("Renamed"));
    reopened->tableDefs().remove(QStringLiteral("Second"));
    // A workbook of no sheets is no workbook.
    EXPECT_FALSE(QFileInfo::exists(book()));
}

TEST_P(IsamWorkbook, RowsChangedAndDeletedThroughARecordsetAreWrittenAtClose) {
    auto db = engine.openDatabase(book(), 0, false, QStringLiteral("Excel 5.0;"));
    auto t = db->createTableDef(QStringLiteral("T"));
    t->fields().append(t->createField(QStringLiteral("N"), FieldType::Long));
    db->tableDefs().append(t);
    addRows(*db, QStringLiteral("T"), {{Value::longValue(1)}, {Value::longValue(2)}, {Value::longValue(3)}});
    auto rs = db->openRecordset(QStringLiteral("T"), RecordsetType::Dynaset);
    rs->moveNext();
    rs->remove();
    rs->moveNext();
    rs->edit();
    rs->field(0)->setValue(Value::longValue(30));
    rs->update();
    rs->close();
    db->close();
    DBEngine other;
    EXPECT_EQ(rowsOf(*other.openDatabase(book(), 0, true, QStringLiteral("Excel 5.0;")), QStringLiteral("T")),
              (std::vector<std::vector<Value>>{{Value::longValue(1)}, {Value::longValue(30)}}));
}

INSTANTIATE_TEST_SUITE_P(Formats, IsamWorkbook, ::testing::Values(WorkbookKind{"book.xls"}, WorkbookKind{"book.xlsx"}),
                         [](const auto& info) { return QString::fromLatin1(info.param.file).remove(QLatin1Char('.')).toStdString(); });

// The .xls writer checked by an independent reader: sheet names, cell kinds and values, a
// shared-string table long enough to need continuation records (with a string cut across
// one), and a stream large enough to need more sector tables than the header lists.
TEST_F(IsamFixture, IsamXlsWriterOutputReadsInAnIndependentReader) {
    const QString file = path(QStringLiteral("big.xls"));
    QStringList words;
    for (int i = 0; i < 3000; ++i) words << QStringLiteral("word %1 ").arg(i) + QString(i % 7, QChar(i % 2 ? 0x263A : 0x00E9));
    {
        auto db = engine.openDatabase(file, 0, false, QStringLiteral("Excel 5.0;"));
        auto t = db->createTableDef(QStringLiteral("Words"));
        t->fields().append(t->createField(QStringLiteral("Word"), FieldType::Memo));
        t->fields().append(t->createField(QStringLiteral("N"), FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("When"), FieldType::Date));
        t->fields().append(t->createField(QStringLiteral("Flag"), FieldType::Boolean));
        db->tableDefs().append(t);
        auto numbers = db->createTableDef(QStringLiteral("Numbers"));
        for (int c = 0; c < 12; ++c) numbers->fields().append(numbers->createField(QStringLiteral("C%1").arg(c), FieldType::Double));
        db->tableDefs().append(numbers);
        auto rs = db->openRecordset(QStringLiteral("Words"), RecordsetType::Dynaset);
        for (int i = 0; i < words.size(); ++i) {
            rs->addNew();
            rs->field(0)->setValue(Value(words[i]));
            rs->field(1)->setValue(Value::longValue(i));
            rs->field(2)->setValue(Value::date(dateSerial(2004, 4, 16, 8, 30, 0) + i));
            rs->field(3)->setValue(Value::boolean(i % 2));
            rs->update();
        }
        auto big = db->openRecordset(QStringLiteral("Numbers"), RecordsetType::Dynaset);
        for (int r = 0; r < 60000; ++r) {
            big->addNew();
            for (int c = 0; c < 12; ++c) big->field(c)->setValue(Value::doubleValue(r * 100.0 + c + 0.25));
            big->update();
        }
        big->close();
        rs->close();
        db->close();
    }
    ASSERT_GT(QFileInfo(file).size(), 109 * 128 * 512);
    const void* h = nullptr;
    ASSERT_EQ(freexl_open(QFile::encodeName(file).constData(), &h), FREEXL_OK);
    unsigned int sheets = 0;
    freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &sheets);
    ASSERT_EQ(sheets, 2u);
    const char* name = nullptr;
    freexl_get_worksheet_name(h, 0, &name);
    EXPECT_STREQ(name, "Words");
    ASSERT_EQ(freexl_select_active_worksheet(h, 0), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(h, &rows, &columns);
    EXPECT_EQ(rows, 3001u);
    EXPECT_EQ(columns, 4);
    FreeXL_CellValue cell;
    for (int i : {0, 1, 1500, 2999}) {
        ASSERT_EQ(freexl_get_cell_value(h, static_cast<unsigned>(i + 1), 0, &cell), FREEXL_OK);
        ASSERT_EQ(cell.type, FREEXL_CELL_SST_TEXT);
        EXPECT_EQ(QString::fromUtf8(cell.value.text_value), words[i]) << i;
        ASSERT_EQ(freexl_get_cell_value(h, static_cast<unsigned>(i + 1), 1, &cell), FREEXL_OK);
        EXPECT_TRUE(cell.type == FREEXL_CELL_INT || cell.type == FREEXL_CELL_DOUBLE);
        EXPECT_EQ(cell.type == FREEXL_CELL_INT ? cell.value.int_value : cell.value.double_value, i);
        ASSERT_EQ(freexl_get_cell_value(h, static_cast<unsigned>(i + 1), 2, &cell), FREEXL_OK);
        ASSERT_EQ(cell.type, FREEXL_CELL_DATETIME);
        EXPECT_EQ(QString::fromUtf8(cell.value.text_value), QDateTime(QDate(2004, 4, 16).addDays(i), QTime(8, 30)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    ASSERT_EQ(freexl_get_cell_value(h, 0, 2, &cell), FREEXL_OK);
    EXPECT_STREQ(cell.value.text_value, "When");
    ASSERT_EQ(freexl_select_active_worksheet(h, 1), FREEXL_OK);
    freexl_worksheet_dimensions(h, &rows, &columns);
    EXPECT_EQ(rows, 60001u);
    ASSERT_EQ(freexl_get_cell_value(h, 60000, 11, &cell), FREEXL_OK);
    EXPECT_EQ(cell.value.double_value, 59999 * 100.0 + 11 + 0.25);
    freexl_close(h);
}

// Workbooks laid out by hand as other programs write them.
TEST_F(IsamFixture, IsamXlsxReaderReadsSheetsAsOtherProgramsWriteThem) {
    struct Case {
        const char* what;
        QByteArray sheet, strings, styles, workbookExtra;
        std::vector<QString> fields;
        std::vector<FieldType> types;
        std::vector<std::vector<Value>> rows;
    };
    const QByteArray dateStyles = "<numFmts><numFmt numFmtId=\"170\" formatCode=\"[$-409]d\\-mmm\\-yy;@\"/></numFmts>"
                                  "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"170\"/><xf numFmtId=\"4\"/></cellXfs>";
    const Case cases[] = {
        {"shared and inline strings, a header with a gap and a duplicate",
         "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>0</v></c></row>"
         "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>inline</t></is></c><c r=\"B2\"><v>2</v></c><c r=\"C2\" t=\"s\"><v>1</v></c></row>",
         "<si><t>Name</t></si><si><r><t>ri</t></r><r><t>ch</t></r><rPh><t>x</t></rPh></si>", QByteArray(), QByteArray(),
         {"Name", "F2", "F3"}, {FieldType::Text, FieldType::Double, FieldType::Text},
         {{Value("inline"), Value::doubleValue(2), Value("rich")}}},
        {"dates by built-in and custom formats, money as a number, the 1904 calendar",
         "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>D1</t></is></c><c r=\"B1\" t=\"inlineStr\"><is><t>D2</t></is></c>"
         "<c r=\"C1\" t=\"inlineStr\"><is><t>M</t></is></c></row>"
         "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>0</v></c><c r=\"B2\" s=\"2\"><v>36631.5</v></c><c r=\"C2\" s=\"3\"><v>12.5</v></c></row>",
         QByteArray(), dateStyles, "<workbookPr date1904=\"1\"/>", {"D1", "D2", "M"},
         {FieldType::Date, FieldType::Date, FieldType::Double},
         {{Value::date(1462), Value::date(36631.5 + 1462), Value::doubleValue(12.5)}}},
        {"mixed kinds become text; booleans, errors and formulas with their values",
         "<row r=\"1\"><c r=\"A1\" t=\"str\"><f>\"Mixed\"</f><v>Mixed</v></c><c r=\"B1\" t=\"inlineStr\"><is><t>B</t></is></c>"
         "<c r=\"C1\" t=\"inlineStr\"><is><t>Sum</t></is></c></row>"
         "<row r=\"2\"><c r=\"A2\"><v>3</v></c><c r=\"B2\" t=\"b\"><v>1</v></c><c r=\"C2\"><f>A2*2</f><v>6</v></c></row>"
         "<row r=\"4\"><c r=\"A4\" t=\"inlineStr\"><is><t>word</t></is></c><c r=\"B4\" t=\"e\"><v>#N/A</v></c><c r=\"C4\"><f>1/3</f><v>0.33333</v></c></row>",
         QByteArray(), QByteArray(), QByteArray(), {"Mixed", "B", "Sum"}, {FieldType::Text, FieldType::Boolean, FieldType::Double},
         {{Value("3"), Value::boolean(true), Value::doubleValue(6)}, {Value::null(), Value::null(), Value::null()},
          {Value("word"), Value::null(), Value::doubleValue(0.33333)}}},
        {"cells without references follow each other", "<row><c><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c><c><v>4</v></c></row>",
         QByteArray(), QByteArray(), QByteArray(), {"1", "2"}, {FieldType::Double, FieldType::Double},
         {{Value::doubleValue(3), Value::doubleValue(4)}}},
        {"an empty sheet", QByteArray(), QByteArray(), QByteArray(), QByteArray(), {"F1"}, {FieldType::Text}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = path(QStringLiteral("case.xlsx"));
        ASSERT_TRUE(writeXlsx(file, c.sheet, c.strings, c.styles, c.workbookExtra));
        DBEngine fresh;
        auto db = fresh.openDatabase(file, 0, true, QStringLiteral("Excel 5.0;"));
        auto t = db->tableDefs().item(QStringLiteral("Data"));
        ASSERT_EQ(t->fields().count(), static_cast<int>(c.fields.size()));
        for (size_t i = 0; i < c.fields.size(); ++i) {
            EXPECT_EQ(t->fields().item(static_cast<int>(i))->name(), c.fields[i]);
            EXPECT_EQ(t->fields().item(static_cast<int>(i))->type(), c.types[i]) << i;
        }
        EXPECT_EQ(rowsOf(*db, QStringLiteral("Data")), c.rows);
    }
}

TEST_F(IsamFixture, IsamANamedRangeIsATableOfItsCells) {
    const QString file = path(QStringLiteral("ranges.xlsx"));
    QByteArray sheet = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Title of the report</t></is></c></row>";
    sheet += "<row r=\"3\"><c r=\"B3\" t=\"inlineStr\"><is><t>Code</t></is></c><c r=\"C3\" t=\"inlineStr\"><is><t>Rate</t></is></c>"
             "<c r=\"D3\" t=\"inlineStr\"><is><t>outside</t></is></c></row>";
    sheet += "<row r=\"4\"><c r=\"B4\" t=\"inlineStr\"><is><t>GBP</t></is></c><c r=\"C4\"><v>1</v></c></row>";
    sheet += "<row r=\"5\"><c r=\"B5\" t=\"inlineStr\"><is><t>EUR</t></is></c><c r=\"C5\"><v>1.17</v></c></row>";
    sheet += "<row r=\"6\"><c r=\"B6\" t=\"inlineStr\"><is><t>below</t></is></c></row>";
    ASSERT_TRUE(writeXlsx(file, sheet, QByteArray(), QByteArray(),
                          "<definedNames><definedName name=\"Rates\">'Data'!$B$3:$C$5</definedName>"
                          "<definedName name=\"_xlnm.Print_Area\">Data!$A$1:$D$6</definedName>"
                          "<definedName name=\"Data\">Data!$B$3:$B$4</definedName></definedNames>"));
    auto db = engine.openDatabase(file, 0, false, QStringLiteral("Excel 5.0;"));
    EXPECT_EQ(db->tableNames(), (QStringList{QStringLiteral("Rates"), QStringLiteral("Data"), QStringLiteral("Data$")}));
    EXPECT_EQ(rowsOf(*db, QStringLiteral("Rates")),
              (std::vector<std::vector<Value>>{{Value("GBP"), Value::doubleValue(1)}, {Value("EUR"), Value::doubleValue(1.17)}}));
    EXPECT_EQ(rowsOf(*db, QStringLiteral("Data")), (std::vector<std::vector<Value>>{{Value("GBP")}}));
    EXPECT_EQ(rowsOf(*db, QStringLiteral("Data$")).size(), 5u);
    auto rs = db->openRecordset(QStringLiteral("Rates"), RecordsetType::Dynaset);
    EXPECT_FALSE(rs->updatable());
}

TEST_F(IsamFixture, IsamDamagedWorkbooksAreRefusedNamingTheFileAndFault) {
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* fault;
    };
    const QString file = path(QStringLiteral("bad.xlsx"));
    ASSERT_TRUE(writeXlsx(file, "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"));
    const QByteArray badIndex = readFile(file);
    ASSERT_TRUE(writeXlsx(file, "<row r=\"1\"><c r=\"A1\"><v>abc</v></c></row>"));
    const QByteArray badNumber = readFile(file);
    ASSERT_TRUE(writeXlsx(file, "<row r=\"1\"><c r=\"A1\"><v>1</v></row>"));
    const QByteArray badXml = readFile(file);
    ASSERT_TRUE(writeXlsx(file, "<row r=\"1\"><c r=\"ZZZZ1\"><v>1</v></c></row>"));
    const QByteArray badReference = readFile(file);
    const Case cases[] = {
        {"not a workbook", "hello, world", "not an Excel workbook"},
        {"empty", "", "empty"},
        {"a zip cut short", badIndex.left(badIndex.size() / 2), "zip"},
        {"a shared string it does not have", badIndex, "shared string"},
        {"a number that is not one", badNumber, "no number"},
        {"XML that is not well-formed", badXml, "well-formed"},
        {"a cell past the last column", badReference, "cell named"},
        {"a compound document cut short", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(100, '\0'), "bad.xlsx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(file, c.bytes);
        DBEngine fresh;
        const RaisedError e = errorOf([&] { fresh.openDatabase(file, 0, true, QStringLiteral("Excel 5.0;")); });
        EXPECT_EQ(e.number, err::kUnrecognizedFormat);
        EXPECT_TRUE(e.description.contains(QStringLiteral("bad.xlsx"))) << e.description.toStdString();
        EXPECT_TRUE(e.description.contains(QString::fromLatin1(c.fault))) << e.description.toStdString();
    }
}

TEST_F(IsamFixture, IsamAMissingWorkbookIsNewUnlessOpenedReadOnly) {
    EXPECT_EQ(errorOf([&] { engine.openDatabase(path(QStringLiteral("none.xls")), 0, true, QStringLiteral("Excel 5.0;")); }).number,
              err::kFileNotFound);
    EXPECT_EQ(errorOf([&] { engine.openDatabase(path(QStringLiteral("no/such/folder.xls")), 0, false, QStringLiteral("Excel 5.0;")); }).number,
              err::kFileNotFound);
    auto db = engine.openDatabase(path(QStringLiteral("fresh")), 0, false, QStringLiteral("EXCEL 5.0;"));
    EXPECT_EQ(db->tableDefs().count(), 0);
    EXPECT_FALSE(db->transactions());
    EXPECT_EQ(db->name(), path(QStringLiteral("fresh.xls")));
}

}  // namespace
