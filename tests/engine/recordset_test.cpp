#include "engine_fixture.h"

#include "engine/conversions.h"
#include "engine/value_ops.h"

#include <algorithm>

using namespace veranth::engine;
using namespace veranth::engine::testing;

namespace {

class EngineRecordset : public EngineFixture {
protected:
    void SetUp() override {
        db = newDatabase();
        addClientsTable(*db);
        for (const char* n : {"Carter", "abbott", "Baker", "Dunn", "Evans"}) addClient(*db, QString::fromUtf8(n), Value("10"));
    }
    std::shared_ptr<Database> db;
};

TEST_F(EngineRecordset, WritesFollowTheFieldRules) {
    auto t = db->tableDefs().item(QStringLiteral("Clients"));
    t->fields().item(QStringLiteral("Balance"))->setValidationRule(QStringLiteral(">= 0"));
    t->fields().item(QStringLiteral("Balance"))->setValidationText(QStringLiteral("A balance cannot be negative."));
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    struct Case {
        const char* field;
        Value value;
        int error;  // raised at the assignment or at Update
    };
    const Case cases[] = {
        {"Name", Value(QString(21, QLatin1Char('x'))), err::kFieldTooSmall},
        {"Name", Value::null(), err::kRequiredIsNull},
        {"Name", Value("BAKER"), err::kDuplicateKey},  // unique without regard to case
        {"Balance", Value("-1"), err::kValidationRuleViolated},
        {"Balance", Value("lots"), err::kConversionError},
        {"Joined", Value("31/02/2004"), err::kConversionError},
        {"Active", Value::longValue(70000), 0},
    };
    for (const auto& c : cases) {
        rs->addNew();
        rs->field(QStringLiteral("Name"))->setValue(Value("Fresh"));
        const int number = errorNumberOf([&] {
            rs->field(QString::fromUtf8(c.field))->setValue(c.value);
            rs->update();
        });
        EXPECT_EQ(number, c.error) << c.field;
        if (number == err::kValidationRuleViolated) {
            EXPECT_EQ(engine.errors().item(0).description, QStringLiteral("A balance cannot be negative."));
        }
        if (rs->editMode() != EditMode::None) rs->cancelUpdate();
        db->execute(QStringLiteral("DELETE FROM Clients WHERE Name = 'Fresh'"));
    }
    EXPECT_EQ(db->tableDefs().item(QStringLiteral("Clients"))->recordCount(), 5);  // nothing cut or half-written
}

TEST_F(EngineRecordset, ValuesConvertAndComeBackExactly) {
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    rs->addNew();
    rs->field(QStringLiteral("Name"))->setValue(Value("Fisher"));
    rs->field(QStringLiteral("Balance"))->setValue(Value("0.1"));
    rs->field(QStringLiteral("Joined"))->setValue(Value("16/Apr/2004"));
    rs->field(QStringLiteral("Active"))->setValue(Value("True"));
    rs->field(QStringLiteral("Notes"))->setValue(Value(QString(120, QLatin1Char('n'))));
    EXPECT_EQ(rs->editMode(), EditMode::Add);
    rs->update();
    rs->setBookmark(rs->lastModified());
    EXPECT_EQ(rs->field(QStringLiteral("ID"))->value(), Value::longValue(6));  // counter continues
    EXPECT_EQ(rs->field(QStringLiteral("Joined"))->value(), Value::date(dateSerial(2004, 4, 16)));
    EXPECT_EQ(rs->field(QStringLiteral("Active"))->value(), Value::boolean(true));
    EXPECT_EQ(rs->field(QStringLiteral("Notes"))->fieldSize(), 120);
    EXPECT_EQ(rs->field(QStringLiteral("Notes"))->getChunk(100, 50), Value(QString(20, QLatin1Char('n'))));
    db->execute(QStringLiteral("UPDATE Clients SET Balance = Balance + 0.2 WHERE Name = 'Fisher'"));
    auto sum = db->openRecordset(QStringLiteral("SELECT sum(Balance) AS Total FROM Clients"), RecordsetType::Snapshot);
    ASSERT_EQ(sum->field(0)->value().type(), ValueType::Currency);
    EXPECT_EQ(sum->field(0)->value().rawCurrency().scaled, 503000);  // five times 10.00 and 0.30, in 1/10000 units
    EXPECT_EQ(errorNumberOf([&] { rs->field(QStringLiteral("Name"))->setValue(Value("x")); }), err::kUpdateWithoutEdit);

    // A long Memo is written whole, piece by piece.
    rs->edit();
    rs->field(QStringLiteral("Notes"))->appendChunk(Value(QString(30000, QLatin1Char('m'))));
    rs->update();
    rs->setBookmark(rs->lastModified());
    EXPECT_EQ(rs->field(QStringLiteral("Notes"))->fieldSize(), 30120);
    EXPECT_EQ(rs->field(QStringLiteral("Notes"))->getChunk(50, 20000), Value(QString(70, QLatin1Char('n')) + QString(19930, QLatin1Char('m'))));
}

TEST_F(EngineRecordset, MovesCountsPositionsAndBookmarks) {
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->absolutePosition(), 0);
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Evans"));
    const QByteArray last = rs->bookmark();
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(errorNumberOf([&] { rs->field(0)->value(); }), err::kNoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { rs->moveNext(); }), err::kNoCurrentRecord);
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->bof());
    rs->moveFirst();
    rs->move(2);
    EXPECT_DOUBLE_EQ(rs->percentPosition(), 40.0);  // third of five
    rs->move(10);
    EXPECT_TRUE(rs->eof());
    rs->setPercentPosition(50);
    EXPECT_EQ(rs->absolutePosition(), 2);
    rs->setBookmark(last);
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Evans"));
    auto copy = rs->clone();
    EXPECT_TRUE(copy->bof());
    copy->setBookmark(last);  // clones share bookmarks
    EXPECT_EQ(copy->field(QStringLiteral("Name"))->value(), Value("Evans"));
    copy->moveFirst();
    copy->edit();
    copy->field(QStringLiteral("Name"))->setValue(Value("Cartwright"));
    copy->update();
    rs->moveFirst();
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Cartwright"));  // one base table, read by key
    rs->remove();
    EXPECT_EQ(errorNumberOf([&] { rs->field(0)->value(); }), err::kRecordDeleted);
    rs->moveNext();
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("abbott"));
}

TEST_F(EngineRecordset, FindsWithCriteriaAndKeepsThePlaceWhenNothingMatches) {
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    rs->findFirst(QStringLiteral("Name = 'ABBOTT'"));
    ASSERT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->findNext(QStringLiteral("Name Like '*n*'"));
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Dunn"));
    rs->findPrevious(QStringLiteral("Balance>=10"));
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Baker"));
    rs->findLast(QStringLiteral("Name Like 'Z*'"));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Baker"));
    EXPECT_EQ(errorNumberOf([&] { rs->findFirst(QStringLiteral("Nope = 1")); }), err::kItemNotFound);
}

TEST_F(EngineRecordset, TableTypeSeeksOnItsCurrentIndex) {
    auto rs = db->openRecordset(QStringLiteral("Clients"));
    EXPECT_EQ(rs->type(), RecordsetType::Table);
    EXPECT_EQ(errorNumberOf([&] { rs->seek(QStringLiteral("="), {Value("Baker")}); }), err::kNoCurrentIndex);
    rs->setIndex(QStringLiteral("ByName"));
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("abbott"));  // index order ignores case
    struct Case {
        const char* op;
        const char* key;
        const char* found;  // nullptr: NoMatch
    };
    const Case cases[] = {
        {"=", "BAKER", "Baker"}, {">=", "Bz", "Carter"}, {">", "Carter", "Dunn"},
        {"<", "Carter", "Baker"}, {"<=", "Carter", "Carter"}, {"=", "Zed", nullptr},
    };
    for (const auto& c : cases) {
        rs->seek(QString::fromUtf8(c.op), {Value(QString::fromUtf8(c.key))});
        EXPECT_EQ(rs->noMatch(), c.found == nullptr) << c.op << c.key;
        if (c.found) {
            EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value(QString::fromUtf8(c.found))) << c.op << c.key;
        }
    }
    rs->setIndex(QStringLiteral("PrimaryKey"));
    rs->seek(QStringLiteral("="), {Value("3")});  // key typed as text
    EXPECT_EQ(rs->field(QStringLiteral("Name"))->value(), Value("Baker"));
    EXPECT_EQ(rs->recordCount(), 5);
}

TEST_F(EngineRecordset, SortAndFilterGiveANewSet) {
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    rs->setSort(QStringLiteral("Name DESC"));
    rs->setFilter(QStringLiteral("Name <> 'dunn'"));
    auto sorted = rs->openRecordset();
    sorted->moveLast();
    EXPECT_EQ(sorted->recordCount(), 4);
    sorted->moveFirst();
    EXPECT_EQ(sorted->field(QStringLiteral("Name"))->value(), Value("Evans"));
    sorted->moveNext();
    EXPECT_EQ(sorted->field(QStringLiteral("Name"))->value(), Value("Carter"));
    EXPECT_TRUE(sorted->updatable());
    rs->setSort(QStringLiteral("[Active] desc, Name"));
    EXPECT_EQ(rs->openRecordset()->field(QStringLiteral("Name"))->value(), Value("abbott"));
    rs->setSort(QStringLiteral("Nowhere"));
    EXPECT_NE(errorNumberOf([&] { rs->openRecordset(); }), 0);
    auto grouped = db->openRecordset(QStringLiteral("SELECT Name FROM Clients GROUP BY Name ORDER BY Name"), RecordsetType::Snapshot);
    EXPECT_EQ(grouped->field(0)->value(), Value("abbott"));
}

TEST_F(EngineRecordset, SnapshotsAndForwardOnlySetsAreStatic) {
    auto snapshot = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Snapshot);
    auto forward = db->openRecordset(QStringLiteral("SELECT Name FROM Clients ORDER BY ID"), RecordsetType::ForwardOnly);
    EXPECT_FALSE(snapshot->updatable());
    EXPECT_EQ(errorNumberOf([&] { snapshot->edit(); }), err::kRecordsetNotUpdatable);
    db->execute(QStringLiteral("UPDATE Clients SET Name = 'Changed' & ID"));
    db->execute(QStringLiteral("DELETE FROM Clients WHERE ID > 2"));
    EXPECT_EQ(snapshot->field(QStringLiteral("Name"))->value(), Value("Carter"));
    snapshot->moveLast();
    EXPECT_EQ(snapshot->recordCount(), 5);
    EXPECT_EQ(snapshot->field(QStringLiteral("Name"))->value(), Value("Evans"));
    QStringList names;
    for (; !forward->eof(); forward->moveNext()) names << toText(forward->field(0)->value());
    EXPECT_EQ(names.size(), 5);
    EXPECT_EQ(names.front(), QStringLiteral("Carter"));
    EXPECT_EQ(errorNumberOf([&] { forward->movePrevious(); }), err::kNotSupported);
    auto dynaset = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    dynaset->moveLast();
    EXPECT_EQ(dynaset->recordCount(), 2);  // a new set sees the changes
}

TEST_F(EngineRecordset, AnEmptySetIsAtBothEnds) {
    db->execute(QStringLiteral("DELETE FROM Clients"));
    for (auto type : {RecordsetType::Table, RecordsetType::Dynaset, RecordsetType::Snapshot, RecordsetType::ForwardOnly}) {
        auto rs = db->openRecordset(QStringLiteral("Clients"), type);
        EXPECT_TRUE(rs->bof());
        EXPECT_TRUE(rs->eof());
        EXPECT_EQ(rs->recordCount(), 0);
        EXPECT_EQ(errorNumberOf([&] { rs->field(0)->value(); }), err::kNoCurrentRecord);
    }
    auto rs = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset);
    rs->addNew();
    rs->field(QStringLiteral("Name"))->setValue(Value("First"));
    rs->update();
    rs->moveFirst();
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->field(QStringLiteral("ID"))->value(), Value::longValue(6));  // counters are never reused

    auto appendOnly = db->openRecordset(QStringLiteral("Clients"), RecordsetType::Dynaset, rs_option::kAppendOnly);
    EXPECT_TRUE(appendOnly->eof());
    appendOnly->addNew();
    appendOnly->field(QStringLiteral("Name"))->setValue(Value("Second"));
    appendOnly->update();
    appendOnly->moveLast();
    EXPECT_EQ(appendOnly->recordCount(), 1);
    EXPECT_EQ(appendOnly->field(QStringLiteral("Name"))->value(), Value("Second"));
}

TEST_F(EngineRecordset, DynasetOfABigTableReadsOnlyWhatIsShown) {
    db->execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
        "INSERT INTO Clients (ID, Name, Balance) SELECT i + 10, 'N' || i, i FROM n"),
        exec_option::kSqlPassThrough);
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM Clients"), RecordsetType::Dynaset);
    EXPECT_TRUE(rs->updatable());
    EXPECT_LT(rs->recordCount(), 5005);  // only the first keys are known
    rs->addNew();
    rs->field(QStringLiteral("Name"))->setValue(Value("Last one"));
    rs->update();
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 5006);
    rs->requery();
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 5006);
}

}  // namespace

namespace {

class EngineCollation : public EngineFixture {};

// The stored order (index, ORDER BY) and the engine's own comparison must agree, or Seek,
// Find and sorted views would disagree about where a row is.
TEST_F(EngineCollation, StoredOrderMatchesTheEnginesComparison) {
    auto db = newDatabase();
    addClientsTable(*db);
    const QStringList names = {QStringLiteral("éclair"), QStringLiteral("Eclipse"), QStringLiteral("zebra"),
                               QStringLiteral("Ärger"),  QStringLiteral("apple"),   QStringLiteral("_under"),
                               QStringLiteral("Zulu"),   QStringLiteral("émile"),   QStringLiteral("10 Downing")};
    for (const QString& n : names) addClient(*db, n);
    EXPECT_EQ(errorNumberOf([&] { addClient(*db, QStringLiteral("ÉCLAIR")); }), err::kDuplicateKey);
    auto rs = db->openRecordset(QStringLiteral("SELECT Name FROM Clients ORDER BY Name"), RecordsetType::Snapshot);
    QStringList stored;
    for (; !rs->eof(); rs->moveNext()) stored << rs->field(0)->value().rawString();
    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return compareText(a, b) < 0; });
    EXPECT_EQ(stored, expected);
    auto table = db->openRecordset(QStringLiteral("Clients"));
    table->setIndex(QStringLiteral("ByName"));
    table->seek(QStringLiteral("="), {Value(QStringLiteral("ÄRGER"))});
    EXPECT_FALSE(table->noMatch());
}

}  // namespace
