#include "isam_fixture.h"

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

// Every damaged variant of a good file either reads or is refused with an engine error;
// none may crash, hang or raise anything else.
class IsamMalformedInput : public IsamFixture {
protected:
    // Opens the folder afresh and reads every row and field of the table.
    void readAll(const QString& connect, const QString& table) {
        DBEngine fresh;
        try {
            auto db = fresh.openDatabase(dir.path(), 0, true, connect);
            db->tableNames();
            rowsOf(*db, table);
        } catch (const EngineError&) {
        }
    }

    // Prefixes of the file, then each byte in [from, to) set to each of the values that most
    // often break a reader.
    void damageAndRead(const QString& file, std::vector<std::pair<int, int>> ranges, const QString& connect, const QString& table) {
        const QByteArray good = readFile(path(file));
        ASSERT_FALSE(good.isEmpty());
        for (qsizetype n = 0; n < good.size(); n += std::max<qsizetype>(1, good.size() / 150)) {
            writeFile(path(file), good.left(n));
            readAll(connect, table);
        }
        const char values[] = {'\0', '\xFF', '\x0D', '\x1A', '"', ',', '\n', '9'};
        for (const auto& [from, to] : ranges)
            for (qsizetype i = from; i < std::min<qsizetype>(to, good.size()); ++i)
                for (char v : values) {
                    QByteArray bad = good;
                    if (bad[i] == v) continue;
                    bad[i] = v;
                    writeFile(path(file), bad);
                    readAll(connect, table);
                }
        writeFile(path(file), good);
    }

    void makeTable(const QString& connect) {
        auto db = engine.openDatabase(dir.path(), 0, false, connect);
        auto t = db->createTableDef(QStringLiteral("T"));
        t->fields().append(t->createField(QStringLiteral("ID"), FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("Name"), FieldType::Text, 8));
        t->fields().append(t->createField(QStringLiteral("Day"), FieldType::Date));
        t->fields().append(t->createField(QStringLiteral("Amount"), FieldType::Currency));
        t->fields().append(t->createField(QStringLiteral("Notes"), FieldType::Memo));
        db->tableDefs().append(t);
        auto rs = db->openRecordset(QStringLiteral("T"), RecordsetType::Dynaset);
        for (int i = 0; i < 3; ++i) {
            rs->addNew();
            rs->field(0)->setValue(Value::longValue(i));
            rs->field(1)->setValue(Value(QStringLiteral("n%1").arg(i)));
            rs->field(2)->setValue(Value::date(dateSerial(2004, 4, 16 + i)));
            rs->field(3)->setValue(Value::currency(Currency{12345 * i}));
            rs->field(4)->setValue(Value(QStringLiteral("note \"%1\", with a comma\r\nand a line").arg(i)));
            rs->update();
        }
    }
};

TEST_F(IsamMalformedInput, DamagedDbfAndMemoFilesAreReadOrRefused) {
    for (const char* connect : {"dBase III;", "dBase IV;", "FoxPro 2.6;", "FoxPro 3.0;"}) {
        SCOPED_TRACE(connect);
        for (const QString& f : filesIn(dir.path())) QFile::remove(path(f));
        makeTable(QString::fromLatin1(connect));
        const QString memo = filesIn(dir.path()).filter(QStringLiteral(".dbt")).isEmpty() ? QStringLiteral("T.fpt") : QStringLiteral("T.dbt");
        // The header and descriptors, the first record; the memo header and its first blocks.
        damageAndRead(QStringLiteral("T.dbf"), {{0, 200}}, QString::fromLatin1(connect), QStringLiteral("T"));
        damageAndRead(memo, {{0, 24}, {512, 600}}, QString::fromLatin1(connect), QStringLiteral("T"));
    }
}

TEST_F(IsamMalformedInput, DamagedTextFilesAndSchemaIniAreReadOrRefused) {
    makeTable(QStringLiteral("Text;"));
    damageAndRead(QStringLiteral("T.txt"), {{0, 200}}, QStringLiteral("Text;"), QStringLiteral("T"));
    damageAndRead(QStringLiteral("schema.ini"), {{0, 200}}, QStringLiteral("Text;"), QStringLiteral("T"));
    QFile::remove(path(QStringLiteral("schema.ini")));  // types guessed from the damaged data
    damageAndRead(QStringLiteral("T.txt"), {{0, 200}}, QStringLiteral("Text;"), QStringLiteral("T"));
}

}  // namespace
