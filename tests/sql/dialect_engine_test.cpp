// The dialect as the engine runs it on native files: make-table queries, design statements,
// other databases, query definitions and the field rules of set-based writes.
#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/workspace.h"
#include "tests/fixtures/corvane_rows.h"
#include "tests/sql/corvane_site.h"

namespace veranth::engine::sql::testing {
namespace {

using fixtures::CorvaneFile;

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.number();
    }
    return 0;
}

class DialectOnCorvane : public CorvaneSite {};

// The cash account fix runs in the local file and reads the main one through IN '' 'path'.
TEST_F(DialectOnCorvane, CashAccountWorkTableIsMadeKeyedEditedAndDropped) {
    auto local = open(CorvaneFile::Local);
    const QString fix = QStringLiteral(
        "SELECT Surname & ' ' & Initials & ' ' & Title AS ClientName, Clients.ClientRef, Owner,CashEntries.AccountRef, "
        "AccountName, CurrentBalance, SUM(Amount) As TrueBalance, IIF(CurrentBalance = SUM(Amount), -1, 0) As FixedAccount INTO "
        "Temp_Accounts FROM CashEntries, Accounts, Clients IN '' '%1' WHERE Clients.ClientRef = Accounts.FKeyRef AND "
        "Accounts.FKeyType = 1 AND Accounts.AccountRef = CashEntries.AccountRef GROUP BY Surname, Initials, Title, "
        "Clients.ClientRef, Owner, CashEntries.AccountRef, AccountName, CurrentBalance").arg(paths.main);
    local->execute(fix);
    EXPECT_EQ(local->recordsAffected(), 299);  // every client account but the one without entries

    auto work = local->tableDefs().item(QStringLiteral("Temp_Accounts"));
    const std::pair<const char*, FieldType> types[] = {
        {"ClientName", FieldType::Text},        {"ClientRef", FieldType::Long},         {"Owner", FieldType::Integer},
        {"AccountRef", FieldType::Long},        {"AccountName", FieldType::Text},       {"CurrentBalance", FieldType::Currency},
        {"TrueBalance", FieldType::Currency},   {"FixedAccount", FieldType::Boolean}};
    for (const auto& [name, type] : types) EXPECT_EQ(work->fields().item(QString::fromLatin1(name))->type(), type) << name;
    EXPECT_TRUE(work->fields().item(QStringLiteral("AccountName"))->allowZeroLength());
    EXPECT_EQ(errorOf([&] { local->execute(fix); }), err::kTableExists);

    // Every fifth balance in the sample is out of step by 10.00 exactly.
    EXPECT_EQ(result(*local, QStringLiteral("SELECT COUNT(*) FROM Temp_Accounts WHERE FixedAccount = False")), QStringLiteral("60"));
    EXPECT_EQ(result(*local, QStringLiteral("SELECT DISTINCT CurrentBalance - TrueBalance FROM Temp_Accounts WHERE NOT FixedAccount")),
              QStringLiteral("10"));

    local->execute(QStringLiteral("ALTER TABLE Temp_Accounts ADD CONSTRAINT AccountREF PRIMARY KEY(AccountRef)"));
    auto key = local->tableDefs().item(QStringLiteral("Temp_Accounts"))->indexes().item(QStringLiteral("AccountREF"));
    EXPECT_TRUE(key->primary());

    auto set = local->openRecordset(QStringLiteral("SELECT * FROM Temp_Accounts"));
    ASSERT_TRUE(set->updatable());
    set->findFirst(QStringLiteral("FixedAccount = False"));
    ASSERT_FALSE(set->noMatch());
    set->edit();
    set->field(QStringLiteral("FixedAccount"))->setValue(Value::boolean(true));
    set->field(QStringLiteral("CurrentBalance"))->setValue(set->field(QStringLiteral("TrueBalance"))->value());
    set->update();
    EXPECT_EQ(result(*local, QStringLiteral("SELECT COUNT(*) FROM Temp_Accounts WHERE FixedAccount = False")), QStringLiteral("59"));

    local->execute(QStringLiteral("DROP TABLE Temp_Accounts"));
    EXPECT_FALSE(local->tableDefs().contains(QStringLiteral("Temp_Accounts")));

    auto main = open(CorvaneFile::Main);
    main->execute(QStringLiteral("UPDATE Accounts SET CurrentBalance = 1234.5, ForwardBalance = 1234.5 WHERE AccountRef = 12050005"));
    EXPECT_EQ(result(*main, QStringLiteral("SELECT CurrentBalance + ForwardBalance FROM Accounts WHERE AccountRef = 12050005")),
              QStringLiteral("2469"));
}

TEST_F(DialectOnCorvane, ExecuteRefusesRowsAndUnknownTablesAndChangesNothing) {
    auto main = open(CorvaneFile::Main);
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("SELECT * FROM Users")); }), err::kCannotExecuteSelect);
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("SELECT * INTO Copy FROM Users"), exec_option::kFailOnError); }), 0);
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("DELETE FROM Nowhere")); }), err::kInputTableNotFound);
    EXPECT_EQ(errorOf([&] { main->openRecordset(QStringLiteral("SELECT * FROM Nowhere")); }), err::kInputTableNotFound);
    // A value the field cannot hold fails the whole statement.
    EXPECT_NE(errorOf([&] { main->execute(QStringLiteral("UPDATE Users SET UserRef = 'abc' WHERE UserRef = 12000101")); }), 0);
    EXPECT_EQ(result(*main, QStringLiteral("SELECT COUNT(*) FROM Copy")), QStringLiteral("40"));
    // The engine's own catalog is read-only to statements.
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("DELETE FROM MSysTables")); }), err::kReadOnly);
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("UPDATE MSysTables SET Name = 'x'")); }), err::kReadOnly);
    EXPECT_TRUE(main->tableDefs().contains(QStringLiteral("Users")));
    EXPECT_EQ(main->tableDefs().item(QStringLiteral("Copy"))->fields().item(QStringLiteral("UserRef"))->type(), FieldType::Long);
}

TEST_F(DialectOnCorvane, QueryDefsTakeTheirTypeAndParametersFromTheText) {
    auto main = open(CorvaneFile::Main);
    const std::pair<const char*, int> kinds[] = {
        {"SELECT * FROM Users", query_type::kSelect},
        {"SELECT UserRef FROM Users UNION SELECT UserRef FROM Consultants", query_type::kSetOperation},
        {"DELETE FROM Users", query_type::kDelete},
        {"UPDATE Users SET LoggedOn = 0", query_type::kUpdate},
        {"INSERT INTO Dustbin (DustbinRef) SELECT UserRef FROM Users", query_type::kAppend},
        {"SELECT * INTO Copy FROM Users", query_type::kMakeTable},
        {"ALTER TABLE Users ADD COLUMN Notes TEXT(20)", query_type::kDdl},
        {"  \r\n PARAMETERS [Who] Long; SELECT * FROM Users WHERE UserRef = [Who]", query_type::kSelect},
    };
    for (const auto& [text, type] : kinds) {
        auto q = main->createQueryDef(QString(), QString::fromLatin1(text));
        EXPECT_EQ(q->type(), type) << text;
        EXPECT_EQ(q->returnsRecords(), type == query_type::kSelect || type == query_type::kSetOperation) << text;
    }

    // Declared parameters first, then names that are no field, in order of use.
    auto q = main->createQueryDef(QStringLiteral("ByName"),
                                  QStringLiteral("PARAMETERS [Least] Long; SELECT UserRef FROM Users WHERE UserName = [Who] "
                                                 "AND UserRef >= [Least] ORDER BY UserRef"));
    ASSERT_EQ(q->parameters().count(), 2);
    EXPECT_EQ(q->parameters().item(0)->name(), QStringLiteral("Least"));
    EXPECT_EQ(q->parameters().item(1)->name(), QStringLiteral("Who"));
    EXPECT_EQ(errorOf([&] { q->openRecordset(RecordsetType::Snapshot); }), err::kTooFewParameters);
    q->parameters().item(QStringLiteral("Least"))->setValue(Value("12000102"));
    q->parameters().item(QStringLiteral("Who"))->setValue(Value("smith"));
    auto rs = q->openRecordset(RecordsetType::Snapshot);
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->field(0)->value(), Value::longValue(12000102));

    auto action = main->createQueryDef(QString(), QStringLiteral("PARAMETERS [Ref] Long; DELETE FROM Users WHERE UserRef = [Ref]"));
    action->parameters().item(0)->setValue(Value("12000140"));
    action->execute();
    EXPECT_EQ(main->recordsAffected(), 1);
}

TEST_F(DialectOnCorvane, DesignStatementsChangeTheCatalog) {
    auto main = open(CorvaneFile::Main);
    main->execute(QStringLiteral("CREATE TABLE Notes (NoteRef LONG, Body TEXT(40), Amount CURRENCY, Taken DATETIME, "
                                 "CONSTRAINT NoteKey PRIMARY KEY (NoteRef))"));
    auto notes = main->tableDefs().item(QStringLiteral("notes"));
    EXPECT_EQ(notes->fields().item(QStringLiteral("Body"))->size(), 40);
    EXPECT_EQ(notes->fields().item(QStringLiteral("Amount"))->type(), FieldType::Currency);
    EXPECT_TRUE(notes->indexes().item(QStringLiteral("NoteKey"))->primary());
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("CREATE TABLE Notes (A LONG)")); }), err::kTableExists);

    main->execute(QStringLiteral("CREATE UNIQUE INDEX ByBody ON Notes (Body DESC)"));
    main->execute(QStringLiteral("ALTER TABLE Notes ADD COLUMN Extra SHORT"));
    EXPECT_EQ(main->tableDefs().item(QStringLiteral("Notes"))->fields().item(QStringLiteral("Extra"))->type(), FieldType::Integer);
    main->execute(QStringLiteral("INSERT INTO Notes (NoteRef, Body, Amount, Extra) VALUES (1, 'first', 2.5, 7)"));
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("INSERT INTO Notes (NoteRef, Body) VALUES (2, 'FIRST')")); }),
              err::kDuplicateKey);  // unique without regard to case
    main->execute(QStringLiteral("DROP INDEX ByBody ON Notes"));
    main->execute(QStringLiteral("ALTER TABLE Notes DROP COLUMN Extra"));
    EXPECT_FALSE(main->tableDefs().item(QStringLiteral("Notes"))->fields().contains(QStringLiteral("Extra")));
    main->execute(QStringLiteral("DROP TABLE Notes"));
    EXPECT_FALSE(main->tableDefs().contains(QStringLiteral("Notes")));
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("DROP TABLE Notes")); }), err::kInputTableNotFound);
}

// Tables of another native file are read and written by name, inside the workspace transaction.
TEST_F(DialectOnCorvane, OtherFilesAreReadAndWrittenInTheSameTransaction) {
    auto main = open(CorvaneFile::Main);
    main->execute(QStringLiteral("SELECT * INTO [;database=%1].Clients FROM Clients WHERE Owner = 50").arg(paths.annuity));
    EXPECT_EQ(main->recordsAffected(), 30);
    auto annuity = open(CorvaneFile::Annuity);
    EXPECT_EQ(annuity->tableDefs().item(QStringLiteral("Clients"))->fields().item(QStringLiteral("Owner"))->type(), FieldType::Integer);

    auto local = open(CorvaneFile::Local);
    local->execute(QStringLiteral("SELECT * INTO Imported FROM [;database=%1].Clients").arg(paths.annuity));
    EXPECT_EQ(local->recordsAffected(), 30);
    EXPECT_EQ(result(*local, QStringLiteral("SELECT COUNT(*) FROM Policies IN '%1' WHERE ClientRef IN (SELECT ClientRef FROM Imported)")
                                      .arg(paths.main)),
              QStringLiteral("60"));

    engine.beginTrans();
    local->execute(QStringLiteral("DELETE FROM [;database=%1].Clients").arg(paths.annuity));
    local->execute(QStringLiteral("UPDATE [;database=%1].Users SET LoggedOn = True").arg(paths.main));
    engine.rollback();
    EXPECT_EQ(result(*annuity, QStringLiteral("SELECT COUNT(*) FROM Clients")), QStringLiteral("30"));
    EXPECT_EQ(result(*main, QStringLiteral("SELECT COUNT(*) FROM Users WHERE LoggedOn")), QStringLiteral("5"));
    EXPECT_EQ(errorOf([&] { local->execute(QStringLiteral("SELECT * INTO X FROM Clients IN '%1/none.mdb'").arg(dir.path())); }),
              err::kFileNotFound);
}

// An attached table is read and written through its link's name, as the database ID change does.
TEST_F(DialectOnCorvane, AttachedTablesAreReachedByTheirOwnName) {
    auto local = open(CorvaneFile::Local);
    auto link = local->createTableDef(QStringLiteral("MainUsers"));
    link->setConnect(QStringLiteral(";DATABASE=%1").arg(paths.main));
    link->setSourceTableName(QStringLiteral("Users"));
    local->tableDefs().append(link);
    local->execute(QStringLiteral("UPDATE MainUsers SET UserRef = 125000000 + (UserRef - (12 * 1000000)) WHERE "
                                  "LEFT(FORMAT(UserRef),2) = 12 AND LEN(FORMAT(UserRef)) - 2 = 6 AND UserName = 'smith'"));
    EXPECT_EQ(local->recordsAffected(), 2);
    EXPECT_EQ(result(*local, QStringLiteral("SELECT m.UserRef FROM MainUsers AS m, LocalUser WHERE m.UserRef > 125000000 "
                                            "ORDER BY m.UserRef")),
              QStringLiteral("125000101|125000102"));
    auto main = open(CorvaneFile::Main);
    EXPECT_EQ(result(*main, QStringLiteral("SELECT COUNT(*) FROM Users WHERE UserRef > 125000000")), QStringLiteral("2"));
    EXPECT_EQ(errorOf([&] { local->execute(QStringLiteral("UPDATE MainUsers SET UserName = String(51, 'x')")); }),
              err::kFieldTooSmall);
}

// Set-based writes obey the same field rules as a recordset's: nothing of a refused statement stays.
TEST_F(DialectOnCorvane, StatementsObeyTheFieldRules) {
    auto main = open(CorvaneFile::Main);
    auto users = main->tableDefs().item(QStringLiteral("Users"));
    users->fields().item(QStringLiteral("UserName"))->setRequired(true);
    users->fields().item(QStringLiteral("UserName"))->setValidationRule(QStringLiteral("<> 'nobody'"));
    users->fields().item(QStringLiteral("UserName"))->setValidationText(QStringLiteral("Name the user."));
    const struct {
        const char* statement;
        int error;
    } refused[] = {
        {"UPDATE Users SET UserName = 'A name far longer than the fifty characters the field holds, surely'", err::kFieldTooSmall},
        {"UPDATE Users SET UserName = NULL WHERE UserRef = 12000101", err::kRequiredIsNull},
        {"UPDATE Users SET UserName = 'nobody' WHERE UserRef > 12000120", err::kValidationRuleViolated},
        {"INSERT INTO Users (UserRef, UserName) VALUES (1, 'nobody')", err::kValidationRuleViolated},
        {"INSERT INTO Users (UserRef, UserName) SELECT ClientRef, Surname & String(50, '-') FROM Clients", err::kFieldTooSmall},
    };
    for (const auto& r : refused) EXPECT_EQ(errorOf([&] { main->execute(QString::fromLatin1(r.statement)); }), r.error) << r.statement;
    EXPECT_EQ(result(*main, QStringLiteral("SELECT COUNT(*) FROM Users WHERE UserName = 'nobody' OR UserName IS NULL")),
              QStringLiteral("0"));
    EXPECT_EQ(result(*main, QStringLiteral("SELECT COUNT(*) FROM Users")), QStringLiteral("40"));
    main->execute(QStringLiteral("UPDATE Users SET UserName = UserName & '!' WHERE UserRef = 12000101"));
    EXPECT_EQ(main->recordsAffected(), 1);
}

// A row added by INSERT is completed as one added through a recordset: counters drawn, default
// values given to the fields left out, and then the whole row checked.
TEST_F(DialectOnCorvane, InsertedRowsGetCountersAndDefaultsAndAreCheckedWhole) {
    auto main = open(CorvaneFile::Main);
    auto notes = main->createTableDef(QStringLiteral("Notes"));
    auto id = notes->createField(QStringLiteral("ID"), FieldType::Long);
    id->setAttributes(field_attr::kFixed | field_attr::kAutoIncrement);
    notes->fields().append(id);
    auto body = notes->createField(QStringLiteral("Body"), FieldType::Text, 60);
    body->setRequired(true);
    notes->fields().append(body);
    auto kind = notes->createField(QStringLiteral("Kind"), FieldType::Integer);
    kind->setDefaultValue(QStringLiteral("7"));
    notes->fields().append(kind);
    main->tableDefs().append(notes);

    main->execute(QStringLiteral("INSERT INTO Notes (Body) VALUES ('first')"));
    main->execute(QStringLiteral("INSERT INTO Notes (Body, Kind) SELECT TOP 2 UserName, 1 FROM Users ORDER BY UserRef"));
    EXPECT_EQ(main->recordsAffected(), 2);
    EXPECT_EQ(errorOf([&] { main->execute(QStringLiteral("INSERT INTO Notes (Kind) VALUES (1)")); }), err::kRequiredIsNull);
    EXPECT_EQ(result(*main, QStringLiteral("SELECT ID, Body, Kind FROM Notes ORDER BY ID")),
              QStringLiteral("1\tfirst\t7|2\tSmith\t1|3\tSmith\t1"));
    // A counter drawn by a statement is not drawn again by a recordset.
    auto rs = main->openRecordset(QStringLiteral("Notes"));
    rs->addNew();
    rs->field(QStringLiteral("Body"))->setValue(Value("by hand"));
    rs->update();
    EXPECT_EQ(result(*main, QStringLiteral("SELECT MAX(ID) FROM Notes")), QStringLiteral("4"));
}

// The objectives rotate, each reading the row as it was; the dd-mm-yyyy stamp is read day first.
TEST_F(DialectOnCorvane, ObjectivesRotateAndAreStampedWithTheDayMeant) {
    auto main = open(CorvaneFile::Main);
    const QStringList fields{QStringLiteral("ClientRef"), QStringLiteral("Objectives1"), QStringLiteral("Objectives2"),
                             QStringLiteral("Objectives9"), QStringLiteral("LastUpdated")};
    fixtures::addRows(*main, QStringLiteral("ClientExtraDetails"), fields,
                      {{fixtures::longValue(12010001), fixtures::text("one"), fixtures::text("two"), fixtures::text("nine"),
                        fixtures::date("01 Jan 2025")},
                       {fixtures::longValue(12010002), fixtures::text("keep"), Value::null(), Value::null(),
                        fixtures::date("10 Dec 2025")}});
    main->execute(QStringLiteral(
                      "UPDATE ClientExtraDetails SET Objectives1 = Objectives2, Objectives2 = Objectives3, Objectives3 = "
                      "Objectives4, Objectives4 = Objectives5, Objectives5 = Objectives6, Objectives6 = Objectives7, Objectives7 = "
                      "Objectives8, Objectives8 = Objectives9, Objectives9 = Objectives1, LastUpdated = #09-12-2026# WHERE "
                      "LastUpdated <= #09-12-2025# "),
                  exec_option::kFailOnError);
    EXPECT_EQ(main->recordsAffected(), 1);
    EXPECT_EQ(result(*main, QStringLiteral("SELECT Objectives1, Objectives8, Objectives9, LastUpdated FROM ClientExtraDetails "
                                                "ORDER BY ClientRef")),
              QStringLiteral("two\tnine\tone\t2026-12-09 00:00|keep\tNull\tNull\t2025-12-10 00:00"));
}

}  // namespace
}  // namespace veranth::engine::sql::testing
