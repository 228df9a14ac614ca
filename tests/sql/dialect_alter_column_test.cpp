// ALTER TABLE ... ALTER COLUMN on native files: the field takes its new type, every stored value
// is converted by that type's rules, and a value that does not fit leaves the table as it was.
#include <gtest/gtest.h>

#include "engine/conversions.h"
#include "engine/dbengine.h"
#include "engine/errors.h"

#include <QTemporaryDir>

namespace veranth::engine {
namespace {

class AlterColumn : public ::testing::Test {
protected:
    void SetUp() override {
        db = engine.createDatabase(dir.filePath(QStringLiteral("alter.mdb")));
        for (const char* statement : {
                 "CREATE TABLE Funds (FundRef LONG, Code TEXT(20), Units LONG, Price CURRENCY, Note TEXT(20))",
                 "CREATE INDEX ByRef ON Funds (FundRef)",
                 "INSERT INTO Funds VALUES (1, '0042', 7, 100.1, 'Adams')",
                 "INSERT INTO Funds VALUES (2, Null, Null, 2.5, 'Bo')",
             })
            db->execute(QString::fromLatin1(statement));
    }
    QString rows() {
        QStringList out;
        for (auto rs = db->openRecordset(QStringLiteral("SELECT * FROM Funds ORDER BY FundRef"), RecordsetType::Snapshot); !rs->eof();
             rs->moveNext()) {
            QStringList row;
            for (int i = 0; i < rs->fields().count(); ++i) {
                const Value v = rs->field(i)->value();
                row << (v.isNull() ? QString() : toText(v));
            }
            out << row.join(QLatin1Char('|'));
        }
        return out.join(QLatin1Char(';'));
    }
    FieldType typeOf(const QString& field) {
        db->tableDefs().refresh();
        return db->tableDefs().item(QStringLiteral("Funds"))->fields().item(field)->type();
    }

    QTemporaryDir dir;
    DBEngine engine;
    std::shared_ptr<Database> db;
};

TEST_F(AlterColumn, ValuesAreConvertedAndTheFieldKeepsItsPlace) {
    db->execute(QStringLiteral("ALTER TABLE Funds ALTER COLUMN Code LONG"));
    db->execute(QStringLiteral("ALTER TABLE Funds ALTER COLUMN Units TEXT(10)"));
    db->execute(QStringLiteral("ALTER TABLE Funds ALTER COLUMN Price DOUBLE"));
    EXPECT_EQ(typeOf(QStringLiteral("Code")), FieldType::Long);
    EXPECT_EQ(typeOf(QStringLiteral("Units")), FieldType::Text);
    EXPECT_EQ(typeOf(QStringLiteral("Price")), FieldType::Double);
    EXPECT_EQ(rows(), QStringLiteral("1|42|7|100.1|Adams;2|||2.5|Bo"));
    // The converted values are stored in the new type: they compare and add as that type.
    auto rs = db->openRecordset(QStringLiteral("SELECT Code + 1, Units & 'x' FROM Funds WHERE FundRef = 1"), RecordsetType::Snapshot);
    EXPECT_EQ(rs->field(0)->value(), Value::longValue(43));
    EXPECT_EQ(toText(rs->field(1)->value()), QStringLiteral("7x"));
}

TEST_F(AlterColumn, AChangeThatWouldLoseDataIsRefusedWhole) {
    struct Case {
        const char* statement;
        int number;
    } cases[] = {
        {"ALTER TABLE Funds ALTER COLUMN Note TEXT(3)", err::kFieldTooSmall},
        {"ALTER TABLE Funds ALTER COLUMN Note LONG", err::kConversionError},
        {"ALTER TABLE Funds ALTER COLUMN FundRef TEXT(5)", err::kInvalidOperation},
        {"ALTER TABLE Funds ALTER COLUMN Missing LONG", err::kItemNotFound},
    };
    const QString before = rows();
    for (const Case& c : cases) {
        int number = 0;
        try {
            db->execute(QString::fromLatin1(c.statement));
        } catch (const EngineError& e) {
            number = e.number();
        }
        EXPECT_EQ(number, c.number) << c.statement;
    }
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(typeOf(QStringLiteral("Note")), FieldType::Text);
    EXPECT_EQ(db->tableDefs().item(QStringLiteral("Funds"))->fields().item(QStringLiteral("Note"))->size(), 20);
}

}  // namespace
}  // namespace veranth::engine
