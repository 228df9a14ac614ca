#include "repairs/database_id.h"

#include "engine/errors.h"
#include "engine/field.h"
#include "engine/workspace.h"
#include "tests/repairs/repair_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace veranth::repairs {
namespace {

using testing::RepairFixture;

TEST(DatabaseId, ReferenceColumnsByNameAndType) {
    const struct {
        const char* name;
        engine::FieldType type;
        bool reference;
    } cases[] = {{"ClientRef", engine::FieldType::Long, true},     {"FKEYREF", engine::FieldType::Long, true},
                 {"ProviderRef", engine::FieldType::Text, false},  {"PrintedBy", engine::FieldType::Text, true},
                 {"PRINTEDBY", engine::FieldType::Double, true},   {"RefCount", engine::FieldType::Long, false},
                 {"ShortRef", engine::FieldType::Integer, false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsReferenceColumn(engine::Field(QString::fromLatin1(c.name), c.type)), c.reference) << c.name;
}

struct Site : RepairFixture {
    Site() : RepairFixture(true) {
        // A table whose names need brackets: an apostrophe and a space.
        Sql(QStringLiteral("CREATE TABLE [Client's Notes] ([Note Ref] LONG, Body TEXT(50))"));
        Sql(QStringLiteral("INSERT INTO [Client's Notes] ([Note Ref], Body) VALUES (12000005, 'O''Brien')"));
        letters = Open(paths.letters);
        ctp = Open(paths.ctp);
    }
    std::shared_ptr<engine::Database> letters, ctp;

    QMap<QString, testing::DatabaseContents> All() {
        return {{QStringLiteral("main"), testing::ContentsOf(Main())},
                {QStringLiteral("letters"), testing::ContentsOf(*letters)},
                {QStringLiteral("ctp"), testing::ContentsOf(*ctp)}};
    }
};

TEST(DatabaseId, ConvertRewritesTheOldIdsReferencesInAllThreeDatabases) {
    Site f;
    AbortRequest abort;
    const UtilityResult result = ConvertDatabaseID(f.session, 345, abort);
    ASSERT_EQ(result.status, UtilityResult::Status::Done) << result.description.toStdString();
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT BranchID FROM SystemOptions")), QStringLiteral("345"));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT MIN(ClientRef) FROM Clients")), QStringLiteral("345010001"));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM Accounts WHERE FKeyRef < 345000000")), QStringLiteral("0"));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT [Note Ref] FROM [Client's Notes]")), QStringLiteral("345000005"));
    // Text columns other than PRINTEDBY, and values that are not counters, stay.
    EXPECT_EQ(f.Column(QStringLiteral("SELECT ProviderRef FROM UnitPrices ORDER BY UnitPriceRef")),
              (QStringList{QStringLiteral("12000001"), QStringLiteral("12000002"), QString()}));
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT MAX(CounterValue) FROM NewCounters")), QStringLiteral("12001150"));
    // 120001234 has seven digits after "12"; 99000002 is another database's.
    EXPECT_EQ(f.Column(QStringLiteral("SELECT LetterRef & ' ' & ClientRef & ' ' & PRINTEDBY FROM Letters ORDER BY Subject"), f.letters.get()),
              (QStringList{QStringLiteral("345000003 120001234 "), QStringLiteral("99000002 99010001 345000102"),
                           QStringLiteral("345000001 345010001 345000101")}));
    EXPECT_EQ(f.Column(QStringLiteral("SELECT PRINTEDBY FROM CTPRecords"), f.ctp.get()), QStringList{QStringLiteral("345000101")});
    EXPECT_EQ(f.session.workspace->transactionLevel(), 0);
}

TEST(DatabaseId, AFailureOrCancelInTheMiddleLeavesAllThreeDatabasesAsTheyWere) {
    const struct {
        const char* name;
        bool cancel;
        int error;
    } cases[] = {{"failure in the letters file", false, engine::err::kLocked}, {"cancel", true, engine::err::kCancelled}};
    for (const auto& c : cases) {
        Site f;
        const auto before = f.All();
        AbortRequest abort;
        const int mainTables = static_cast<int>(f.Main().tableNames(false).size());
        if (c.cancel) {
            int yields = 0;
            f.onYield = [&] {
                if (++yields == mainTables + 1) abort.requested = true;
            };
        } else {
            f.FailAtYield(mainTables);
        }
        const UtilityResult result = ConvertDatabaseID(f.session, 345, abort);
        EXPECT_EQ(result.number, c.error) << c.name;
        EXPECT_TRUE(f.All() == before) << c.name;
        EXPECT_EQ(f.session.workspace->transactionLevel(), 0);
    }
}

TEST(DatabaseId, AMissingCompanionIsSkipped) {
    RepairFixture f(true);
    ASSERT_TRUE(QFile::remove(f.paths.ctp));
    AbortRequest abort;
    EXPECT_EQ(ConvertDatabaseID(f.session, 7, abort).status, UtilityResult::Status::Done);
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT MIN(ClientRef) FROM Clients")), QStringLiteral("7010001"));
    auto letters = f.Open(f.paths.letters);
    EXPECT_EQ(f.Column(QStringLiteral("SELECT MIN(LetterRef) FROM Letters"), letters.get()), QStringList{QStringLiteral("7000001")});
    EXPECT_FALSE(QFile::exists(f.paths.ctp));
}

TEST(DatabaseId, TheOkButtonAsksThenChangesOrConvertsOrRefuses) {
    const QString notSuccessful = QStringLiteral("[Database Change] The change to the database was NOT successful.");
    const QString invalid = QStringLiteral("[Database Warning!] You must enter a valid Database ID!");
    const struct {
        const char* name;
        DatabaseIdMode mode;
        const char* text;
        const char* answer;  // nullptr: no question expected
        const char* branchAfter;
        const char* clientAfter;
        QStringList messagesAfterQuestion;
    } cases[] = {
        {"same ID", DatabaseIdMode::Change, " 12abc", nullptr, "12", "12010001", {}},
        {"No", DatabaseIdMode::Change, "345", "no", "12", "12010001", {}},
        {"change", DatabaseIdMode::Change, "345", "yes", "345", "12010001", {}},
        {"change to 0", DatabaseIdMode::Change, "0", "yes", "12", "12010001", {invalid, notSuccessful}},
        {"change beyond 32 bits", DatabaseIdMode::Change, "3000000000", "yes", "12", "12010001", {invalid, notSuccessful}},
        {"convert", DatabaseIdMode::Convert, "345.4", "yes", "345", "345010001", {}},
        {"convert beyond 16 bits", DatabaseIdMode::Convert, "40000", "yes", "12", "12010001", {invalid, notSuccessful}},
        {"convert to a negative ID", DatabaseIdMode::Convert, "-3", "yes", "12", "12010001", {invalid, notSuccessful}},
        {"references would overflow", DatabaseIdMode::Convert, "2148", "yes", "12", "12010001", {notSuccessful}},
    };
    for (const auto& c : cases) {
        RepairFixture f;
        f.Sql(QStringLiteral("INSERT INTO Clients (ClientRef, Surname) VALUES (12010001, 'O''Brien')"));
        AbortRequest abort;
        if (c.answer) f.Answer(c.answer);
        const UtilityResult result = DatabaseIdOk(f.session, c.mode, QString::fromLatin1(c.text), 12, abort);
        QStringList messages = f.Messages();
        if (c.answer) {
            ASSERT_FALSE(messages.isEmpty()) << c.name;
            const QString question = messages.takeFirst();
            EXPECT_TRUE(question.startsWith(QStringLiteral("[Database ID Change] You are about to change the database ID for this database")))
                << c.name;
            EXPECT_EQ(question.contains(QStringLiteral("convert all existing references")), c.mode == DatabaseIdMode::Convert) << c.name;
            EXPECT_TRUE(question.endsWith(QStringLiteral("\r\rContinue ?"))) << c.name;
        }
        EXPECT_EQ(messages, c.messagesAfterQuestion) << c.name;
        EXPECT_EQ(result.failed(), !c.messagesAfterQuestion.isEmpty()) << c.name;
        EXPECT_EQ(f.Scalar(QStringLiteral("SELECT BranchID FROM SystemOptions")), QLatin1String(c.branchAfter)) << c.name;
        EXPECT_EQ(f.Scalar(QStringLiteral("SELECT MIN(ClientRef) FROM Clients")), QLatin1String(c.clientAfter)) << c.name;
        EXPECT_FALSE(f.status.Busy()) << c.name;
    }
}

}  // namespace
}  // namespace veranth::repairs
