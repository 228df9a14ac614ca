// Statements on a native file that read and write tables of other kinds: imports, exports and
// attached dBase or text tables, the way the import and export windows and the utilities use them.
#include "isam_fixture.h"

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

class BridgedStatements : public IsamFixture {
protected:
    void SetUp() override {
        native = engine.createDatabase(path(QStringLiteral("main.mdb")));
        dbfFolder = folder(QStringLiteral("dbf"));
        auto dbf = engine.openDatabase(dbfFolder, 0, false, QStringLiteral("dBase IV;"));
        auto t = dbf->createTableDef(QStringLiteral("cust"));
        t->fields().append(t->createField(QStringLiteral("ID"), FieldType::Long));
        t->fields().append(t->createField(QStringLiteral("Name"), FieldType::Text, 20));
        t->fields().append(t->createField(QStringLiteral("Joined"), FieldType::Date));
        t->fields().append(t->createField(QStringLiteral("Balance"), FieldType::Double));
        dbf->tableDefs().append(t);
        auto rs = dbf->openRecordset(QStringLiteral("cust"), RecordsetType::Dynaset);
        const std::vector<std::vector<Value>> rows = {
            {Value::longValue(1), Value(QStringLiteral("O'Brien")), Value::date(toDate(Value(QStringLiteral("2004-01-05")))), Value::doubleValue(12.5)},
            {Value::longValue(2), Value(QStringLiteral("Smith")), Value::date(toDate(Value(QStringLiteral("2010-06-30")))), Value::doubleValue(-3)},
            {Value::longValue(3), Value(QStringLiteral("Jones")), Value::null(), Value::doubleValue(0)},
        };
        for (const auto& row : rows) {
            rs->addNew();
            for (size_t i = 0; i < row.size(); ++i) rs->field(static_cast<int>(i))->setValue(row[i]);
            rs->update();
        }
        rs->close();
        dbf->close();
    }
    QString dbfPrefix() const { return QStringLiteral("[dBase IV;database=%1]").arg(dbfFolder); }
    std::vector<std::vector<Value>> dbfRows(const QString& table) {
        auto dbf = engine.openDatabase(dbfFolder, 0, false, QStringLiteral("dBase IV;"));
        return rowsOf(*dbf, table);
    }

    std::shared_ptr<Database> native;
    QString dbfFolder;
};

TEST_F(BridgedStatements, ImportCopiesRowsAndTypesFromAnotherKind) {
    native->execute(QStringLiteral("SELECT * INTO Imported FROM %1.cust").arg(dbfPrefix()));
    EXPECT_EQ(native->recordsAffected(), 3);
    auto imported = native->tableDefs().item(QStringLiteral("Imported"));
    EXPECT_EQ(imported->fields().item(QStringLiteral("ID"))->type(), FieldType::Long);
    EXPECT_EQ(imported->fields().item(QStringLiteral("Joined"))->type(), FieldType::Date);
    const auto rows = rowsOf(*native, QStringLiteral("SELECT ID, Name, Joined FROM Imported ORDER BY ID"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(toText(rows[0][1]), QStringLiteral("O'Brien"));
    EXPECT_EQ(rows[0][2], Value::date(toDate(Value(QStringLiteral("2004-01-05")))));
    EXPECT_TRUE(rows[2][2].isNull());
}

TEST_F(BridgedStatements, ReadsJoinAndFilterAcrossKinds) {
    native->execute(QStringLiteral("CREATE TABLE Orders (OrderID LONG, CustID LONG, Amount CURRENCY)"));
    native->execute(QStringLiteral("INSERT INTO Orders VALUES (10, 2, 5.25)"));
    native->execute(QStringLiteral("INSERT INTO Orders VALUES (11, 2, 1.5)"));
    native->execute(QStringLiteral("INSERT INTO Orders VALUES (12, 1, 7)"));
    const auto rows = rowsOf(*native, QStringLiteral("SELECT c.Name, SUM(o.Amount) AS Total FROM Orders AS o INNER JOIN "
                                                     "%1.cust AS c ON c.ID = o.CustID WHERE c.Name Like 'S*' GROUP BY c.Name")
                                          .arg(dbfPrefix()));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(toText(rows[0][0]), QStringLiteral("Smith"));
    EXPECT_EQ(rows[0][1], Value::currency(Currency{67500}));
}

TEST_F(BridgedStatements, ExportMakesTheTableInTheOtherKind) {
    native->execute(QStringLiteral("CREATE TABLE Rates (Code TEXT(4), Rate DOUBLE)"));
    native->execute(QStringLiteral("INSERT INTO Rates VALUES ('A', 1.5)"));
    native->execute(QStringLiteral("INSERT INTO Rates VALUES ('B', 2.25)"));
    native->execute(QStringLiteral("SELECT * INTO %1.rates FROM Rates").arg(dbfPrefix()));
    EXPECT_EQ(native->recordsAffected(), 2);
    EXPECT_TRUE(filesIn(dbfFolder).contains(QStringLiteral("RATES.DBF"), Qt::CaseInsensitive));
    const auto rows = dbfRows(QStringLiteral("rates"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(toText(rows[1][0]), QStringLiteral("B"));
    EXPECT_DOUBLE_EQ(toDouble(rows[1][1]), 2.25);
    // The table is there now, so a second export is refused rather than doubling its rows.
    EXPECT_EQ(errorOf([&] { native->execute(QStringLiteral("SELECT * INTO %1.rates FROM Rates").arg(dbfPrefix())); }).number,
              err::kTableExists);
    EXPECT_EQ(dbfRows(QStringLiteral("rates")).size(), 2u);
}

TEST_F(BridgedStatements, InsertUpdateAndDeleteWriteTheOtherKindsRows) {
    native->execute(QStringLiteral("INSERT INTO %1.cust (ID, Name, Balance) VALUES (4, 'Khan', 0)").arg(dbfPrefix()));
    native->execute(QStringLiteral("UPDATE %1.cust SET Balance = Balance + 1 WHERE ID >= 2").arg(dbfPrefix()));
    EXPECT_EQ(native->recordsAffected(), 3);
    native->execute(QStringLiteral("DELETE FROM %1.cust WHERE Name = 'Jones'").arg(dbfPrefix()));
    const auto rows = dbfRows(QStringLiteral("cust"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_DOUBLE_EQ(toDouble(rows[0][3]), 12.5);
    EXPECT_DOUBLE_EQ(toDouble(rows[1][3]), -2);
    EXPECT_EQ(toText(rows[2][1]), QStringLiteral("Khan"));
    EXPECT_DOUBLE_EQ(toDouble(rows[2][3]), 1);
}

TEST_F(BridgedStatements, WorksInsideAnOpenTransaction) {
    engine.beginTrans();
    const auto rows = rowsOf(*native, QStringLiteral("SELECT Name FROM %1.cust WHERE ID = 3").arg(dbfPrefix()));
    ASSERT_EQ(rows.size(), 1u);
    native->execute(QStringLiteral("SELECT ID INTO Kept FROM %1.cust").arg(dbfPrefix()));
    engine.rollback();
    native->tableDefs().refresh();
    EXPECT_FALSE(native->tableDefs().contains(QStringLiteral("Kept")));
    // The rolled-back transaction took the virtual tables with it; the next statement makes them again.
    EXPECT_EQ(rowsOf(*native, QStringLiteral("SELECT * FROM %1.cust").arg(dbfPrefix())).size(), 3u);
}

TEST_F(BridgedStatements, AnAttachedDbfTableOpensAndTakesPartInStatements) {
    auto link = native->createTableDef(QStringLiteral("Customers"));
    link->setConnect(QStringLiteral("dBase IV;DATABASE=%1").arg(dbfFolder));
    link->setSourceTableName(QStringLiteral("cust"));
    native->tableDefs().append(link);
    auto rs = native->openRecordset(QStringLiteral("Customers"), RecordsetType::Dynaset);
    EXPECT_EQ(toText(rs->field(QStringLiteral("Name"))->value()), QStringLiteral("O'Brien"));
    native->execute(QStringLiteral("UPDATE Customers SET Name = 'Smyth' WHERE ID = 2"));
    const auto rows = rowsOf(*native, QStringLiteral("SELECT Name FROM Customers WHERE ID = 2"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(toText(rows[0][0]), QStringLiteral("Smyth"));
}

TEST_F(BridgedStatements, UnknownKindsAndMissingTablesAreTheEnginesErrors) {
    struct Case {
        QString statement;
        int number;
    } cases[] = {
        {QStringLiteral("SELECT * FROM [Btrieve;database=%1].cust").arg(path(QStringLiteral("x.ddf"))), err::kIsamNotFound},
        {QStringLiteral("SELECT * FROM [ODBC;DSN=NoSuchSource;].dbo.Funds"), err::kOdbcConnectionFailed},
        {QStringLiteral("SELECT * FROM %1.nothere").arg(dbfPrefix()), err::kInputTableNotFound},
        {QStringLiteral("SELECT * FROM [dBase IV;database=%1].cust").arg(path(QStringLiteral("missing"))), err::kFileNotFound},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { rowsOf(*native, c.statement); }).number, c.number) << c.statement.toStdString();
}

}  // namespace
