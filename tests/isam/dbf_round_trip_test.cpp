#include "isam_fixture.h"

#include "engine/value_ops.h"

#include <QRegularExpression>

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

struct Flavour {
    const char* connect;
    bool binary;  // has a field for Long Binary values
    const char* memoExtension;
};

void PrintTo(const Flavour& f, std::ostream* os) { *os << f.connect; }

const Flavour kFlavours[] = {
    {"dBase III;", false, "dbt"},  {"dBase IV;", false, "dbt"},   {"dBase 5.0;", true, "dbt"},
    {"FoxPro 2.0;", true, "fpt"}, {"FoxPro 2.6;", true, "fpt"}, {"FoxPro 3.0;", true, "fpt"},
};

class IsamDbfRoundTrip : public IsamFixture, public ::testing::WithParamInterface<Flavour> {
protected:
    // One field of every type, and rows at the edges each type has in every flavour.
    void makeNativeTable(Database& db) {
        auto t = db.createTableDef(QStringLiteral("AllTypes"));
        const std::pair<const char*, FieldType> fields[] = {
            {"Flag", FieldType::Boolean},   {"Small", FieldType::Byte},     {"Count", FieldType::Integer},
            {"Total", FieldType::Long},     {"Amount", FieldType::Currency}, {"Ratio", FieldType::Single},
            {"Measure", FieldType::Double}, {"Stamp", FieldType::Date},      {"Name", FieldType::Text},
            {"Notes", FieldType::Memo},     {"Picture", FieldType::LongBinary},
        };
        for (const auto& [name, type] : fields) {
            if (type == FieldType::LongBinary && !GetParam().binary) continue;
            auto f = t->createField(QString::fromLatin1(name), type, type == FieldType::Text ? 40 : 0);
            if (type == FieldType::Memo || type == FieldType::Text) f->setAllowZeroLength(true);
            t->fields().append(f);
        }
        db.tableDefs().append(t);
        QByteArray allBytes;
        for (int b = 0; b < 256; ++b) allBytes.append(static_cast<char>(b));
        QString longNote;
        for (int i = 0; i < 700; ++i) longNote += QStringLiteral("line %1, with a comma and \"quotes\"\r\n").arg(i);
        const std::vector<std::vector<Value>> rows = {
            {Value::boolean(true), Value::byte(255), Value::integer(-32768), Value::longValue(-2147483647 - 1),
             Value::currency(Currency{-9999999999999999}), Value::single(1.5f), Value::doubleValue(12345.6789),
             Value::date(dateSerial(2004, 4, 16)), Value(QStringLiteral("Zoë Ångström, €12 «façade»")), Value(longNote),
             Value::binary(allBytes)},
            {Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
             Value::null(), Value::null(), Value::null(), Value::null()},
            {Value::boolean(false), Value::byte(0), Value::integer(32767), Value::longValue(2147483647),
             Value::currency(Currency{123456789012345}), Value::single(-2.5f), Value::doubleValue(-0.00001),
             Value::date(dateSerial(9999, 12, 31)), Value(QStringLiteral("  leading blanks kept")), Value(QStringLiteral("x")),
             Value::binary(QByteArray("\x1A\x00\x1A", 3))},
            {Value::boolean(true), Value::byte(7), Value::integer(0), Value::longValue(0), Value::currency(Currency{1}),
             Value::single(0), Value::doubleValue(99999999999999.0), Value::date(dateSerial(1899, 12, 30)),
             Value(QString(40, QLatin1Char('w'))), Value(QString(5000, QChar(0x00E9))), Value::binary(QByteArray(3000, 'b'))},
        };
        auto rs = db.openRecordset(QStringLiteral("AllTypes"), RecordsetType::Dynaset);
        for (const auto& row : rows) {
            rs->addNew();
            for (int i = 0; i < rs->fields().count(); ++i) rs->field(i)->setValue(row[static_cast<size_t>(i)]);
            rs->update();
        }
    }
};

TEST_P(IsamDbfRoundTrip, NativeToDbfToNativeKeepsEveryValueOfEveryType) {
    auto native = engine.createDatabase(path(QStringLiteral("source.mdb")));
    makeNativeTable(*native);
    const auto original = rowsOf(*native, QStringLiteral("AllTypes"));

    const QString folderPath = folder(QStringLiteral("export"));
    auto dbf = engine.openDatabase(folderPath, 0, false, QString::fromLatin1(GetParam().connect));
    copyTable(*native, QStringLiteral("AllTypes"), *dbf, QStringLiteral("alltypes"));
    EXPECT_TRUE(filesIn(folderPath).contains(QStringLiteral("alltypes.") + QLatin1String(GetParam().memoExtension)));

    // Read back through a second engine, as another program run would.
    DBEngine second;
    auto reopened = second.openDatabase(folderPath, 0, true, QString::fromLatin1(GetParam().connect));
    auto table = reopened->tableDefs().item(QStringLiteral("AllTypes"));
    auto sourceTable = native->tableDefs().item(QStringLiteral("AllTypes"));
    ASSERT_EQ(table->fields().count(), sourceTable->fields().count());
    for (int i = 0; i < table->fields().count(); ++i)
        EXPECT_EQ(table->fields().item(i)->type(), sourceTable->fields().item(i)->type()) << table->fields().item(i)->name().toStdString();
    const auto fromDbf = rowsOf(*reopened, QStringLiteral("AllTypes"));
    ASSERT_EQ(fromDbf.size(), original.size());
    for (size_t r = 0; r < original.size(); ++r)
        for (size_t c = 0; c < original[r].size(); ++c)
            EXPECT_EQ(fromDbf[r][c], original[r][c]) << "row " << r << " field " << table->fields().item(static_cast<int>(c))->name().toStdString()
                                                     << ": " << toDisplayText(fromDbf[r][c]).left(60).toStdString();

    auto back = engine.createDatabase(path(QStringLiteral("back.mdb")));
    copyTable(*reopened, QStringLiteral("AllTypes"), *back, QStringLiteral("AllTypes"));
    EXPECT_EQ(rowsOf(*back, QStringLiteral("AllTypes")), original);
}

// A file another program wrote has no side catalogue: its values still read, by the types
// the file gives.
TEST_P(IsamDbfRoundTrip, ValuesReadWithoutTheSideCatalogue) {
    auto native = engine.createDatabase(path(QStringLiteral("source.mdb")));
    makeNativeTable(*native);
    const auto original = rowsOf(*native, QStringLiteral("AllTypes"));
    const QString folderPath = folder(QStringLiteral("export"));
    auto dbf = engine.openDatabase(folderPath, 0, false, QString::fromLatin1(GetParam().connect));
    copyTable(*native, QStringLiteral("AllTypes"), *dbf, QStringLiteral("AllTypes"));
    dbf->close();
    ASSERT_TRUE(QFile::remove(QDir(folderPath).filePath(QStringLiteral("AllTypes.vxi"))));

    DBEngine second;
    auto reopened = second.openDatabase(folderPath, 0, true, QString::fromLatin1(GetParam().connect));
    const auto fromDbf = rowsOf(*reopened, QStringLiteral("AllTypes"));
    ASSERT_EQ(fromDbf.size(), original.size());
    for (size_t r = 0; r < original.size(); ++r)
        for (size_t c = 0; c < original[r].size(); ++c) {
            const Value& a = original[r][c];
            const Value& b = fromDbf[r][c];
            if (a.type() == ValueType::Binary || b.type() == ValueType::Binary) {
                EXPECT_EQ(a, b) << "row " << r << " field " << c;
                continue;
            }
            EXPECT_EQ(a.isNull(), b.isNull()) << "row " << r << " field " << c;
            if (!a.isNull() && !b.isNull()) {
                EXPECT_EQ(compare(a, b), 0) << "row " << r << " field " << c;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Flavours, IsamDbfRoundTrip, ::testing::ValuesIn(kFlavours), [](const auto& info) {
    QString name = QString::fromLatin1(info.param.connect);
    name.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")));
    return name.toStdString();
});

// FoxPro 3.0 keeps what the decimal fields of the older flavours round: any double and a
// time of day.
TEST_F(IsamFixture, IsamFoxPro3KeepsDoublesAndTimesExactly) {
    const QString folderPath = folder(QStringLiteral("fox"));
    auto db = engine.openDatabase(folderPath, 0, false, QStringLiteral("FoxPro 3.0;"));
    auto t = db->createTableDef(QStringLiteral("Readings"));
    t->fields().append(t->createField(QStringLiteral("Value"), FieldType::Double));
    t->fields().append(t->createField(QStringLiteral("Taken"), FieldType::Date));
    t->fields().append(t->createField(QStringLiteral("Amount"), FieldType::Currency));
    db->tableDefs().append(t);
    const std::vector<std::vector<Value>> rows = {
        {Value::doubleValue(1.0 / 3.0), Value::date(dateSerial(2004, 4, 16, 13, 45, 59)), Value::currency(Currency{INT64_MAX})},
        {Value::doubleValue(-1.7976931348623157e308), Value::date(dateSerial(1800, 1, 1)), Value::currency(Currency{INT64_MIN})},
        {Value::doubleValue(5e-324), Value::date(dateSerial(1899, 12, 29, 6, 0, 0)), Value::currency(Currency{0})},
    };
    auto rs = db->openRecordset(QStringLiteral("Readings"), RecordsetType::Dynaset);
    for (const auto& row : rows) {
        rs->addNew();
        for (int i = 0; i < 3; ++i) rs->field(i)->setValue(row[static_cast<size_t>(i)]);
        rs->update();
    }
    rs->close();
    db->close();
    DBEngine second;
    auto reopened = second.openDatabase(folderPath, 0, true, QStringLiteral("FoxPro 3.0;"));
    EXPECT_EQ(rowsOf(*reopened, QStringLiteral("Readings")), rows);
}

}  // namespace
