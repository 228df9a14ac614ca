// The statements the utilities write, run through the engine on a Corvane site with the
// sample data, each giving the result its utility depends on.
#include <gtest/gtest.h>

#include <cctype>

#include "engine/errors.h"
#include "tests/sql/corvane_site.h"

namespace veranth::engine::sql::testing {
namespace {

using fixtures::CorvaneFile;

// One statement and what it must give. A row-returning statement's rows are compared with
// `expected` ("a\tb|c\td", or "N rows"); an action's with "N affected". Where the sample's
// numbers are not worth writing out, `sameCountAs` is a plainer query that must find as many
// rows. `check` is read after an action and must give `checked`.
struct StatementCase {
    const char* utility;
    CorvaneFile file;
    const char16_t* statement;
    const char* expected;
    const char16_t* sameCountAs = nullptr;
    const char16_t* check = nullptr;
    const char* checked = nullptr;
};

const CorvaneFile M = CorvaneFile::Main;

const StatementCase kCases[] = {
    // Opening views, the query builder.
    {"views", M, u"select * from [Clients] where Owner = 50", "30 rows"},
    {"query builder", M, u"select Distinct Clients.Title from Clients", "5 rows"},
    {"query builder", M, u"Select  TOP 5  Clients.* From Clients Order By Clients.ClientRef", "5 rows"},
    {"query builder", M, u"Select  TOP 10  PERCENT Clients.ClientRef From Clients", "30 rows"},
    {"query builder", M,
     u"Select Clients.Surname,Policies.Premium From Clients,Policies Where (Policies.Premium > 100 ) And (Clients.Owner = 50 ) "
     u"And Policies.ClientRef=Clients.ClientRef Order By Clients.Surname Desc ",
     nullptr, u"SELECT PolicyRef FROM Policies WHERE Premium > 100 AND Owner = 50"},

    // Counters.
    {"counters", M, u"SELECT BranchID FROM SystemOptions", "12"},
    {"counters", M, u"SELECT CounterValue FROM NewCounters WHERE CounterID = 36", "12001036"},
    {"counters", M, u"UPDATE NewCounters SET CounterValue = 12001040 WHERE CounterID = 36", "1 affected",
     nullptr, u"SELECT CounterValue FROM NewCounters WHERE CounterID = 36", "12001040"},

    // Database ID: references of this branch move, another branch's and nine-digit values stay.
    {"database id", M, u"SELECT BranchId FROM SystemOptions", "12"},
    {"database id", M, u"UPDATE SystemOptions SET BranchID = 125", "1 affected", nullptr, u"SELECT BranchID FROM SystemOptions", "125"},
    {"database id", M,
     u"UPDATE Clients SET ClientRef = 125000000 + (ClientRef - (12 * 1000000)) WHERE LEFT(FORMAT(ClientRef),2) = 12 AND "
     u"LEN(FORMAT(ClientRef)) - 2 = 6",
     "300 affected", nullptr, u"SELECT MIN(ClientRef), MAX(ClientRef) FROM Clients", "125010001\t125010300"},
    {"database id", CorvaneFile::Letters,
     u"UPDATE Letters SET ClientRef = 125000000 + (ClientRef - (12 * 1000000)) WHERE LEFT(FORMAT(ClientRef),2) = 12 AND "
     u"LEN(FORMAT(ClientRef)) - 2 = 6",
     "1 affected", nullptr, u"SELECT ClientRef FROM Letters ORDER BY LetterRef", "125010001|120001234|99010001"},
    {"database id", CorvaneFile::Letters,
     u"UPDATE Letters SET PRINTEDBY = 125000000 + (PRINTEDBY - (12 * 1000000)) WHERE LEFT(FORMAT(PRINTEDBY),2) = 12 AND "
     u"LEN(FORMAT(PRINTEDBY)) - 2 = 6",
     "2 affected", nullptr, u"SELECT PRINTEDBY FROM Letters ORDER BY LetterRef", "125000101|Null|125000102"},
    {"database id", CorvaneFile::Ctp,
     u"UPDATE CTPRecords SET PRINTEDBY = 125000000 + (PRINTEDBY - (12 * 1000000)) WHERE LEFT(FORMAT(PRINTEDBY),2) = 12 AND "
     u"LEN(FORMAT(PRINTEDBY)) - 2 = 6",
     "1 affected", nullptr, u"SELECT PRINTEDBY FROM CTPRecords", "125000101"},

    // Duplicate users: "Smith" twice (one without details), "Jones" and "JONES".
    {"duplicate users", M,
     u"SELECT Users.UserRef, Users.UserName FROM (Users LEFT JOIN UserFurtherDetails ON Users.UserRef = "
     u"UserFurtherDetails.UserRef) WHERE UserName IN (SELECT UserName FROM Users GROUP BY UserName HAVING COUNT(UserName) > 1) "
     u"AND UserFurtherDetails.UserRef IS NULL ORDER BY UserName ",
     "12000102\tSmith"},
    {"duplicate users", M,
     u"SELECT Users.UserRef, Users.UserName FROM (Users LEFT JOIN UserFurtherDetails ON Users.UserRef = "
     u"UserFurtherDetails.UserRef) WHERE UserName IN (SELECT UserName FROM Users GROUP BY UserName HAVING COUNT(UserName) > 1) "
     u"ORDER BY UserName",
     "4 rows"},
    {"duplicate users", M, u"SELECT UserRef FROM Users WHERE UserName = 'jones' AND UserRef <> 12000103", "12000104"},
    {"duplicate users", M, u"UPDATE DiaryEntries SET UserRef = 12000101 WHERE UserRef = 12000102", "2 affected"},
    {"duplicate users", M, u"UPDATE DiaryEntries SET TakenBy = 12000101 WHERE TakenBy = 12000102", "1 affected"},
    {"duplicate users", M, u"UPDATE TimeFeeEntries SET UserRef = 12000101 WHERE UserRef = 12000102", "12 affected"},
    {"duplicate users", M, u"UPDATE Consultants SET UserRef = 12000101 WHERE UserRef = 12000102", "1 affected"},
    {"duplicate users", M, u"DELETE FROM Users WHERE UserRef = 12000102", "1 affected", nullptr,
     u"SELECT COUNT(*) FROM Users WHERE UserName = 'SMITH'", "1"},
    {"duplicate users", M, u"DELETE FROM UserFurtherDetails WHERE UserRef = 12000102", "0 affected"},

    // Group policies.
    {"group policies", M,
     u"SELECT c.AccountNumber, c.Title, c.Forenames, c.Surname, s.SchemeName, p.PremiumFreq, p.Premium, p.OnRiskDate, "
     u"p.MaturityDate FROM (Policies AS p INNER JOIN Clients AS c ON c.ClientRef = p.ClientRef) INNER JOIN Schemes AS s ON "
     u"s.SchemeRef = p.SchemeRef WHERE p.PolicyRef = 12020001",
     "1 rows"},
    {"group policies", M,
     u"SELECT p.PolicyRef, p.ClientRef, p.SchemeRef, p.PolicyNumber, s.SchemeType, p.LastUpdated FROM Policies AS p LEFT JOIN "
     u"Schemes AS s ON s.SchemeRef=p.SchemeRef WHERE s.SchemeType IN (4,7) AND p.PolicyNumber IS NULL ORDER BY p.ClientRef "
     u"ASC, p.SchemeRef ASC, p.LastUpdated DESC",
     nullptr,
     u"SELECT p.PolicyRef FROM Policies AS p, Schemes AS s WHERE s.SchemeRef = p.SchemeRef AND (s.SchemeType = 4 OR "
     u"s.SchemeType = 7) AND p.PolicyNumber IS NULL"},
    {"group policies", M, u"UPDATE DiaryEntries SET PolicyRef=12020001 WHERE PolicyRef=12020002", "1 affected"},
    {"group policies", M, u"UPDATE CommnPremiums SET PolicyRef=12020001 WHERE PolicyRef=12020002", "1 affected"},
    {"group policies", M, u"UPDATE FundHoldings SET FKeyRef=12020001 WHERE FKeyRef=12020002 AND FKeyType=2", "0 affected"},
    {"group policies", M, u"DELETE FROM Policies WHERE PolicyRef=12020002", "1 affected"},
    {"group policies", M,
     u"SELECT SchemeRef, SchemeName, ManagerRef, SchemeType FROM Schemes WHERE (SchemeType = 4 OR SchemeType = 7) AND "
     u"SchemeRef NOT IN (SELECT SchemeRef FROM PensionSchemes)",
     "8 rows"},
    {"group policies", M,
     u"UPDATE PensionPolicies SET MemberFlexibility = True, PensionSchemeRef = 12000456 WHERE PolicyRef IN (SELECT p.PolicyRef "
     u"FROM Policies AS p INNER JOIN Schemes AS s ON s.SchemeRef = p.SchemeRef WHERE s.SchemeRef = 12000406) AND "
     u"(PensionPolicies.PensionSchemeRef IS NULL OR PensionPolicies.PensionSchemeRef = 0)",
     nullptr, u"SELECT PolicyRef FROM Policies WHERE SchemeRef = 12000406",
     u"SELECT COUNT(*) FROM PensionPolicies WHERE MemberFlexibility = True AND PensionSchemeRef <> 12000456", "0"},

    // Time fees: the first user's day has 10:10-11:00 overlapped by 10:30-11:30.
    {"time fees", M,
     u"SELECT SUM(IIF(ChargeEnd < #2004-01-05 11:00:00#, DATEDIFF(\"n\", ChargeStart, ChargeEnd), DATEDIFF(\"n\", ChargeStart, "
     u"#2004-01-05 11:00:00#))) AS OverLapTime FROM TimeFeeEntries WHERE UserRef = 12000101 AND ChargeStart > "
     u"#2004-01-05 10:10:00# AND ChargeStart < #2004-01-05 11:00:00#",
     "30"},
    {"time fees", M, u"SELECT HourlyCharge, Rounding FROM TimeFeeCharges WHERE TimeFeeChargeRef = 12000600", "120\t15"},
    {"time fees", M, u"UPDATE TimeFeeEntries SET ChargeEnd = #2004-01-05 10:30:00#, AmountToCharge = 62.5 WHERE TimeFeeRef = 12700003",
     "1 affected", nullptr, u"SELECT ChargeEnd, AmountToCharge FROM TimeFeeEntries WHERE TimeFeeRef = 12700003",
     "2004-01-05 10:30\t62.5"},
    {"time fees", M,
     u"UPDATE TimeFeeEntries SET ChargeStart = #2004-01-05 11:00:00#, ChargeEnd = DATEADD(\"n\", DATEDIFF(\"n\", ChargeStart, "
     u"ChargeEnd), #2004-01-05 11:00:00#) WHERE ChargeStart < #2004-01-05 11:00:00# AND ChargeStart > #2004-01-05 10:10:00# "
     u"AND UserRef = 12000101 AND TimeFeeRef = 12700004",
     "1 affected", nullptr, u"SELECT ChargeStart, ChargeEnd FROM TimeFeeEntries WHERE TimeFeeRef = 12700004",
     "2004-01-05 11:00\t2004-01-05 12:00"},
    {"time fees", M,
     u"UPDATE TimeFeeEntries SET ChargeStart = DATEADD(\"n\", DATEDIFF(\"n\", #2004-01-05 10:20:00#, ChargeStart), "
     u"#2004-01-05 11:00:00#), ChargeEnd = DATEADD(\"n\", DATEDIFF(\"n\", ChargeStart , ChargeEnd), DATEADD(\"n\", "
     u"DATEDIFF(\"n\", #2004-01-05 10:20:00#, ChargeStart), #2004-01-05 11:00:00#)) WHERE ChargeStart < #2004-01-05 11:00:00# "
     u"AND ChargeStart > #2004-01-05 10:10:00# AND UserRef = 12000101",
     "1 affected", nullptr, u"SELECT ChargeStart, ChargeEnd FROM TimeFeeEntries WHERE TimeFeeRef = 12700004",
     "2004-01-05 11:10\t2004-01-05 12:10"},

    // Fund codes.
    {"fund codes", M, u"SELECT UnitPriceRef FROM ProviderCodes WHERE ProviderCode = 'abc12'", "12065001"},
    {"fund codes", M, u"UPDATE ProviderCodes SET ProviderCode = 'XYZ99' WHERE ProviderCode = 'ABC12'", "1 affected"},
    {"fund codes", M, u"UPDATE UnitPrices SET Sedol = 'XYZ99' WHERE UnitPriceRef = 12065003", "1 affected"},
    {"fund codes", M, u"UPDATE UnitPrices SET ProviderReference = \"ABCD\" WHERE IIf(Sedol Is Null, 0, Val(Trim(Sedol))) = 123456",
     "2 affected", nullptr, u"SELECT UnitPriceRef FROM UnitPrices WHERE ProviderReference = 'abcd' ORDER BY UnitPriceRef",
     "12065001|12065002"},

    // PEP merge: text into date fields; a missing date read as the zero date.
    {"pep merge", M,
     u"UPDATE Policies SET OnRiskDate = '16/Apr/2004', Premium = 50, ProposalDate = '02/Apr/2004' WHERE PolicyRef = 12020001",
     "1 affected", nullptr, u"SELECT OnRiskDate, Premium, ProposalDate FROM Policies WHERE PolicyRef = 12020001",
     "2004-04-16 00:00\t50\t2004-04-02 00:00"},
    {"pep merge", M, u"UPDATE Policies SET OnRiskDate = NULL, Premium = 0, Status = 6 WHERE PolicyRef = 12020001", "1 affected", nullptr,
     u"SELECT IIF(p.OnRiskDate IS NULL, 0, p.OnRiskDate) AS ORdate, IIF(p.Premium IS NULL, 0, p.Premium) AS Prem, p.Status FROM "
     u"Policies as p, Schemes as s WHERE p.SchemeRef = s.SchemeRef AND p.PolicyRef = 12020001",
     "1899-12-30 00:00\t0\t6"},

    // Branch credits.
    {"branch credits", M, u"SELECT ManagerRef AS ConsultantRef, FullName FROM Managers ORDER By FullName",
     "12000301\tProvider 1 Life|12000302\tProvider 2 Life|12000303\tProvider 3 Life|12000304\tProvider 4 Life|"
     "12000305\tProvider 5 Life|12000306\tProvider 6 Life|12000307\tProvider 7 Life|12000308\tProvider 8 Life"},
    {"branch credits", M, u"SELECT ConsultantRef, FullName FROM Consultants WHERE Type = 3",
     "12000201\tConsultant 1|12000202\tConsultant 2|12000203\tConsultant 3"},
    {"branch credits", M,
     u"SELECT CommissionCredits.*, Consultants.FullName FROM CommissionCredits, Consultants  WHERE "
     u"CommissionCredits.ConsultantRef = Consultants.ConsultantRef  AND CommissionCredits.Type = 1 AND BranchRef = 12000202 "
     u"ORDER BY CommissionCredits.ConsultantRef",
     "8 rows"},
    {"branch credits", M,
     u"UPDATE CommissionCredits SET ConsultantRef = 12000202 WHERE FKeyType = 4 AND FKeyRef = 12062003 AND Type = 3 AND "
     u"ConsultantRef = 12000204",
     "1 affected"},

    // Firm cash and Cofunds: the third client's account has no entries, so its sum is Null.
    {"firm cash", M, u"SELECT AccountRef, AccountName, CurrentBalance FROM Accounts WHERE FKeyType = 2", "150 rows"},
    {"firm cash", M, u"SELECT SUM(Amount) AS TotalCash FROM CashEntries WHERE AccountRef = 12050003", "Null"},
    {"firm cash", M,
     u"SELECT ClientRef, PolicyNumber, Owner, PolicyRef FROM Policies, Schemes WHERE Policies.SchemeRef = Schemes.SchemeRef "
     u"AND Schemes.ManagerRef = 12000301",
     nullptr, u"SELECT PolicyRef FROM Policies WHERE SchemeRef IN (SELECT SchemeRef FROM Schemes WHERE ManagerRef = 12000301)"},
    {"firm cash", M, u"UPDATE Policies SET PolicyNumber = '9876' WHERE ClientRef = 12010005 AND PolicyNumber = 'ABC123-9876'",
     "1 affected"},

    // Counters, clean-up, clear connection: a Single 5.4 matches the literal 5.4.
    {"clean up", M, u"SELECT MAX(CounterID) AS MAXCounterID FROM NewCounters", "150"},
    {"clean up", M, u"DELETE FROM DBTables WHERE TableName = 'CapitalEventEntries' AND DBVersion = 5.4", "1 affected", nullptr,
     u"SELECT COUNT(*) FROM DBTables WHERE TableName = 'CapitalEventEntries'", "2"},
    {"clean up", M, u"DELETE FROM DBColumns WHERE ColumnTableName = 'FirstPage'", "3 affected"},
    {"clean up", M, u"UPDATE Users SET LoggedOn = 0 WHERE UserRef= 12000107", "1 affected", nullptr,
     u"SELECT LoggedOn FROM Users WHERE UserRef = 12000107", "False"},
    {"clean up", CorvaneFile::Local, u"SELECT * FROM LocalUser", "12000101\tTrue"},

    // Clear business management.
    {"business management", M,
     u"DELETE FROM CommnEntries WHERE CommnPremRef IN (SELECT CommnPremRef FROM CommnPremiums WHERE CommnPremiumDate < #05 Jan "
     u"2004#)",
     "20 affected"},
    {"business management", M, u"DELETE FROM Fees WHERE FeeDate < #05 Jan 2004#", "20 affected"},
    {"business management", M, u"DELETE FROM CommissionCredits WHERE FKeyType = 1 AND FKeyRef NOT IN (SELECT CommnEntryRef FROM CommnEntries)",
     "0 affected"},
    {"business management", M, u"UPDATE Transactions SET CommnClient = NULL, CommnBroker = NULL WHERE TransactionDate < #05 Jan 2004#",
     "20 affected", nullptr, u"SELECT COUNT(*) FROM Transactions WHERE CommnClient IS NULL", "20"},
    {"business management", M, u"UPDATE AccountingOptions SET CurrentPeriod=15", "1 affected"},
    {"business management", M,
     u"INSERT INTO PeriodBalances (AccountType,AccountingPeriod,OpeningBalance,LastUpdated) VALUES (1,15,0,#16 Apr 2004#)",
     "1 affected", nullptr, u"SELECT AccountType, AccountingPeriod, OpeningBalance, LastUpdated FROM PeriodBalances",
     "1\t15\t0\t2004-04-16 00:00"},
    {"cash accounts", M, u"UPDATE Transactions SET Settled = TRUE", "40 affected", nullptr,
     u"SELECT COUNT(*) FROM Transactions WHERE Settled = True", "40"},

    // Document transfer.
    {"document transfer", M,
     u"SELECT ClGroupName AS ListName, ClGroupRef AS Ref FROM ClientGroups WHERE (ParentGroupRef < 1 OR ParentGroupRef IS NULL) "
     u"ORDER BY ClGroupName",
     "North\t12000900|South\t12000901"},
    {"document transfer", M, u"SELECT ClGroupName AS ListName, ClGroupRef AS Ref FROM ClientGroups WHERE ParentGroupRef = 12000900 ORDER BY ClGroupName",
     "Leeds office\t12000902"},
    {"document transfer", M,
     u"SELECT i.ImageRef, i.Path AS iPath, i.DocumentName AS iDocumentName, i.LetterDate AS iLetterDate, i.Subject AS iSubject, "
     u"de.DiaryRef, de.ToDoBy AS deDiaryDate, de.Subject AS deSubject, dt.TypeName AS dtType, dtc.CategoryName AS dtCategory, "
     u"c.ClientRef, c.AccountNumber, c.Surname AS cClientSurname, c.Initials AS cClientInitials, c.PartnerSurname AS "
     u"cPartnerSurname, c.PartnerInitials AS cPartnerInitials, db.DocumanBatchRef, db.Path AS dbPath, de.PolicyRef , "
     u"p.PolicyNumber, s.SchemeRef, s.SchemeName, m.ShortName FROM ((((((Images AS i LEFT JOIN DiaryEntries AS de ON i.DiaryRef "
     u"= de.DiaryRef) LEFT JOIN DiaryTypes AS dt ON de.DiaryTypeRef = dt.DiaryTypeRef) LEFT JOIN DiaryTypeCategories AS dtc ON "
     u"dt.DiaryTypeCategoryRef = dtc.DiaryTypeCategoryRef) LEFT JOIN Clients AS c ON de.ClientRef = c.ClientRef) LEFT JOIN "
     u"ClientGroupEntries cge ON c.ClientRef = cge.ClientRef) LEFT JOIN DocumanBatch AS db ON i.DocumentNumber = "
     u"db.DocumanBatchRef) LEFT JOIN ((Policies p LEFT JOIN Schemes s ON p.SchemeRef = s.SchemeRef) LEFT JOIN Managers m ON "
     u"m.ManagerRef = s.ManagerRef) ON p.PolicyRef = de.PolicyRef WHERE i.Path IS NOT NULL AND db.DocumanBatchRef IS NOT NULL "
     u"AND i.ImageRef => 12040010 AND i.ImageRef <= 12040030 ORDER BY c.ClientRef ASC, p.PolicyRef ASC, i.LetterDate ASC",
     "7 rows"},
    {"document transfer", M, u"UPDATE DocumanBatch SET Path = 'C:\\Docs\\O''Brien\\letter.doc' WHERE DocumanBatchRef = 12045003", "1 affected",
     nullptr, u"SELECT Path FROM DocumanBatch WHERE DocumanBatchRef = 12045003", "C:\\Docs\\O'Brien\\letter.doc"},
    {"document transfer", M, u"UPDATE Images SET LastUpdated = NOW() WHERE ImageRef = 12040001", "1 affected"},
};

class CorvaneStatement : public CorvaneSite, public ::testing::WithParamInterface<StatementCase> {};

QString joined(const QStringList& rows) { return rows.join(QLatin1Char('|')); }

TEST_P(CorvaneStatement, GivesWhatItsUtilityReadsBack) {
    const StatementCase& c = GetParam();
    const QString statement = QString::fromUtf16(c.statement);
    SCOPED_TRACE(statement.toStdString());
    auto db = open(c.file);
    try {
        const qsizetype expectedCount = c.sameCountAs ? rows(*db, QString::fromUtf16(c.sameCountAs)).size() : -1;
        auto query = db->createQueryDef(QString(), statement);
        if (query->returnsRecords()) {
            const QStringList got = rows(*db, statement);
            const QString expected = c.expected ? QString::fromUtf8(c.expected) : QString::number(expectedCount) + QStringLiteral(" rows");
            if (expected.endsWith(QStringLiteral(" rows"))) {
                EXPECT_EQ(QString::number(got.size()) + QStringLiteral(" rows"), expected);
            } else {
                EXPECT_EQ(joined(got), expected);
            }
        } else {
            db->execute(statement, exec_option::kFailOnError);
            const QString expected = c.expected ? QString::fromUtf8(c.expected) : QString::number(expectedCount) + QStringLiteral(" affected");
            EXPECT_EQ(QString::number(db->recordsAffected()) + QStringLiteral(" affected"), expected);
        }
        if (c.check) {
            EXPECT_EQ(joined(rows(*db, QString::fromUtf16(c.check))), QString::fromUtf8(c.checked));
        }
    } catch (const EngineError& e) {
        FAIL() << e.number() << " " << e.description().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Utilities, CorvaneStatement, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StatementCase>& info) {
                             std::string name = std::string(info.param.utility) + "_" + std::to_string(info.index);
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace veranth::engine::sql::testing
