#include "tests/sql/utility_statements.h"

namespace veranth::engine::sql::testing {

namespace {

UtilityStatement row(const char* source, QueryType type, const char16_t* text) {
    return {source, type, QString::fromUtf16(text)};
}

std::vector<UtilityStatement> buildStatements() {
    using T = QueryType;
    return {
        // Opening views and the query builder.
        row("view filter", T::Select, u"select * from [Order Details] where [Unit Price] > 10 And Discount = 0"),
        row("query builder distinct", T::Select, u"select Distinct [Order Details].[Unit Price] from [Order Details]"),
        row("query builder", T::Select,
            u"Select Customers.City,Orders.Amount From Customers,Orders Where (Orders.Amount > 100 ) And "
            u"(Customers.City = 'Paris' ) And Orders.CustID=Customers.ID Order By Customers.City Desc "),
        row("query builder top", T::Select,
            u"Select  TOP 5  Orders.* From Orders Where (Orders.OrderDate < '16/04/2004' ) Group By Orders.CustID Order By Orders.CustID"),
        row("query builder top percent", T::Select,
            u"Select  TOP 10  PERCENT Customers.City From Customers Where (Customers.City  IN ('Paris','Leeds') )"),

        // Counters and database IDs.
        row("counters", T::Select, u"SELECT BranchID FROM SystemOptions"),
        row("counters", T::Select, u"SELECT CounterValue FROM NewCounters WHERE CounterID = 36"),
        row("counters", T::Update, u"UPDATE NewCounters SET CounterValue = 1204 WHERE CounterID = 36"),
        row("change database id", T::Select, u"SELECT BranchId FROM SystemOptions"),
        row("change database id", T::Update, u"UPDATE SystemOptions SET BranchID = 125"),
        row("convert database id", T::Update,
            u"UPDATE Clients SET ClientRef = 125000000 + (ClientRef - (12 * 1000000)) WHERE "
            u"LEFT(FORMAT(ClientRef),2) = 12 AND LEN(FORMAT(ClientRef)) - 2 = 6"),

        // Duplicate users.
        row("duplicate users", T::Select,
            u"SELECT Users.UserRef, Users.UserName FROM (Users LEFT JOIN UserFurtherDetails ON Users.UserRef = "
            u"UserFurtherDetails.UserRef) WHERE UserName IN (SELECT UserName FROM Users GROUP BY UserName HAVING "
            u"COUNT(UserName) > 1) AND UserFurtherDetails.UserRef IS NULL ORDER BY UserName "),
        row("duplicate users", T::Select,
            u"SELECT Users.UserRef, Users.UserName FROM (Users LEFT JOIN UserFurtherDetails ON Users.UserRef = "
            u"UserFurtherDetails.UserRef) WHERE UserName IN (SELECT UserName FROM Users GROUP BY UserName HAVING "
            u"COUNT(UserName) > 1) ORDER BY UserName"),
        row("duplicate users", T::Select, u"SELECT UserRef FROM Users WHERE UserName = 'Jones' AND UserRef <> 12000045"),
        row("duplicate users", T::Update, u"UPDATE DiaryEntries SET TakenBy = 12000044 WHERE TakenBy = 12000045"),
        row("duplicate users", T::Delete, u"DELETE FROM Users WHERE UserRef = 12000045"),
        row("duplicate users", T::Delete, u"DELETE FROM UserFurtherDetails WHERE UserRef = 12000045"),

        // Cash accounts.
        row("cash accounts client fix", T::MakeTable,
            u"SELECT Surname & ' ' & Initials & ' ' & Title AS ClientName, Clients.ClientRef, Owner,CashEntries.AccountRef, "
            u"AccountName, CurrentBalance, SUM(Amount) As TrueBalance, IIF(CurrentBalance = SUM(Amount), -1, 0) As "
            u"FixedAccount INTO Temp_Accounts FROM CashEntries, Accounts, Clients IN '' 'C:\\Corvane\\Data\\Mainqor.mdb' "
            u"WHERE Clients.ClientRef = Accounts.FKeyRef AND Accounts.FKeyType = 1 AND Accounts.AccountRef = "
            u"CashEntries.AccountRef GROUP BY Surname, Initials, Title, Clients.ClientRef, Owner, CashEntries.AccountRef, "
            u"AccountName, CurrentBalance"),
        row("cash accounts plan fix", T::MakeTable,
            u"SELECT Surname & ' ' & Initials & ' ' & Title AS ClientName, Clients.ClientRef, Policies.Owner,"
            u"CashEntries.AccountRef, AccountName, CurrentBalance, SUM(Amount) As TrueBalance, IIF(CurrentBalance = "
            u"SUM(Amount), -1, 0) As FixedAccount INTO Temp_Accounts FROM CashEntries, Accounts, Clients, Policies IN '' "
            u"'ODBC;DRIVER=SQL Server;SERVER=corvane01;DATABASE=Mainqor;UID=qor;PWD=secret' WHERE Clients.ClientRef = "
            u"Policies.ClientRef AND Policies.PolicyRef = Accounts.FKeyRef AND Accounts.FKeyType = 2 AND "
            u"Accounts.AccountRef = CashEntries.AccountRef GROUP BY Surname, Initials, Title, Clients.ClientRef, "
            u"Policies.Owner, CashEntries.AccountRef, AccountName, CurrentBalance"),
        row("cash accounts", T::DataDefinition, u"DROP TABLE Temp_Accounts"),
        row("cash accounts", T::DataDefinition, u"ALTER TABLE Temp_Accounts ADD CONSTRAINT AccountREF PRIMARY KEY(AccountRef)"),
        row("cash accounts", T::Select, u"SELECT * FROM Temp_Accounts"),
        row("cash accounts", T::Update,
            u"UPDATE Accounts SET CurrentBalance = 1234.5, ForwardBalance = 1234.5 WHERE AccountRef = 12000321"),
        row("cash accounts", T::Update, u"UPDATE Transactions SET Settled = TRUE"),

        // Group policies.
        row("group policies", T::Select,
            u"SELECT c.AccountNumber, c.Title, c.Forenames, c.Surname, s.SchemeName, p.PremiumFreq, p.Premium, "
            u"p.OnRiskDate, p.MaturityDate FROM (Policies AS p INNER JOIN Clients AS c ON c.ClientRef = p.ClientRef) "
            u"INNER JOIN Schemes AS s ON s.SchemeRef = p.SchemeRef WHERE p.PolicyRef = 12000777"),
        row("group policies", T::Select,
            u"SELECT p.PolicyRef, p.ClientRef, p.SchemeRef, p.PolicyNumber, s.SchemeType, p.LastUpdated FROM Policies "
            u"AS p LEFT JOIN Schemes AS s ON s.SchemeRef=p.SchemeRef WHERE s.SchemeType IN (4,7) AND p.PolicyNumber "
            u"IS NULL ORDER BY p.ClientRef ASC, p.SchemeRef ASC, p.LastUpdated DESC"),
        row("group policies", T::Update, u"UPDATE DiaryEntries SET PolicyRef=12000777 WHERE PolicyRef=12000778"),
        row("group policies", T::Update, u"UPDATE CommnPremiums SET PolicyRef=12000777 WHERE PolicyRef=12000778"),
        row("group policies", T::Update,
            u"UPDATE FundHoldings SET FKeyRef=12000777 WHERE FKeyRef=12000778 AND FKeyType=2"),
        row("group policies", T::Delete, u"DELETE FROM Policies WHERE PolicyRef=12000778"),
        row("group policies", T::Select,
            u"SELECT SchemeRef, SchemeName, ManagerRef, SchemeType FROM Schemes WHERE (SchemeType = 4 OR SchemeType = 7) "
            u"AND SchemeRef NOT IN (SELECT SchemeRef FROM PensionSchemes)"),
        row("group policies", T::Select, u"SELECT * FROM PensionSchemes"),
        row("group policies", T::Update,
            u"UPDATE PensionPolicies SET MemberFlexibility = True, PensionSchemeRef = 12000901 WHERE PolicyRef IN "
            u"(SELECT p.PolicyRef FROM Policies AS p INNER JOIN Schemes AS s ON s.SchemeRef = p.SchemeRef WHERE "
            u"s.SchemeRef = 12000055) AND (PensionPolicies.PensionSchemeRef IS NULL OR PensionPolicies.PensionSchemeRef = 0)"),
        row("group policies", T::Update,
            u"UPDATE SPPolicies SET PensionSchemeRef = 12000901 WHERE PolicyRef IN (SELECT p.PolicyRef FROM Policies AS "
            u"p INNER JOIN Schemes AS s ON s.SchemeRef = p.SchemeRef WHERE s.SchemeRef = 12000055) AND "
            u"(PensionSchemeRef IS NULL OR PensionSchemeRef = 0)"),

        // Time fees.
        row("time fees", T::Select, u"SELECT TimeFeeRef, UserRef, ChargeStart FROM TimeFeeEntries ORDER BY UserRef, ChargeStart"),
        row("time fees", T::Select,
            u"SELECT TimeFeeRef, TimeFeeChargeRef, UserRef, ChargeStart, ChargeEnd FROM TimeFeeEntries WHERE TimeFeeRef = 12000501"),
        row("time fees", T::Select,
            u"SELECT SUM(IIF(ChargeEnd < #2004-01-05 10:00:00#, DATEDIFF(\"n\", ChargeStart, ChargeEnd), "
            u"DATEDIFF(\"n\", ChargeStart, #2004-01-05 10:00:00#))) AS OverLapTime FROM TimeFeeEntries WHERE "
            u"UserRef = 12000044 AND ChargeStart > #2004-01-05 09:00:00# AND ChargeStart < #2004-01-05 10:00:00#"),
        row("time fees", T::Select, u"SELECT HourlyCharge, Rounding FROM TimeFeeCharges WHERE TimeFeeChargeRef = 12000003"),
        row("time fees", T::Update, u"UPDATE TimeFeeEntries SET ChargeEnd = #2004-01-05 09:30:00# WHERE TimeFeeRef = 12000501"),
        row("time fees", T::Update,
            u"UPDATE TimeFeeEntries SET ChargeEnd = #2004-01-05 09:30:00#, AmountToCharge = 62.5 WHERE TimeFeeRef = 12000501"),
        row("time fees", T::Update,
            u"UPDATE TimeFeeEntries SET ChargeStart = #2004-01-05 10:00:00#, ChargeEnd = DATEADD(\"n\", DATEDIFF(\"n\", "
            u"ChargeStart, ChargeEnd), #2004-01-05 10:00:00#) WHERE ChargeStart < #2004-01-05 10:00:00# AND ChargeStart > "
            u"#2004-01-05 09:00:00# AND UserRef = 12000044 AND TimeFeeRef = 12000502"),
        row("time fees", T::Update,
            u"UPDATE TimeFeeEntries SET ChargeStart = DATEADD(\"n\", DATEDIFF(\"n\", #2004-01-05 09:20:00#, ChargeStart), "
            u"#2004-01-05 10:00:00#), ChargeEnd = DATEADD(\"n\", DATEDIFF(\"n\", ChargeStart , ChargeEnd), DATEADD(\"n\", "
            u"DATEDIFF(\"n\", #2004-01-05 09:20:00#, ChargeStart), #2004-01-05 10:00:00#)) WHERE ChargeStart < "
            u"#2004-01-05 10:00:00# AND ChargeStart > #2004-01-05 09:00:00# AND UserRef = 12000044"),

        // Fund codes.
        row("fund codes", T::Select, u"SELECT UnitPriceRef FROM ProviderCodes WHERE ProviderCode = 'ABC12'"),
        row("fund codes", T::Update, u"UPDATE ProviderCodes SET ProviderCode = 'XYZ99' WHERE ProviderCode = 'ABC12'"),
        row("fund codes", T::Update, u"UPDATE UnitPrices SET Sedol = 'XYZ99' WHERE UnitPriceRef = 12000088"),
        row("fund codes", T::Update,
            u"UPDATE UnitPrices SET ProviderReference = \"ABCD\" WHERE IIf(Sedol Is Null, 0, Val(Trim(Sedol))) = 123456"),

        // PEP merge.
        row("pep merge", T::Select,
            u"SELECT p.PolicyRef, p.ClientRef, p.Owner, p.PolicyNumber, s.SchemeRef, s.ManagerRef, s.SchemeType,  "
            u"IIF(p.Premium IS NULL, 0, p.Premium) AS Prem, IIF(p.OnRiskDate IS NULL, 0, p.OnRiskDate) AS ORdate,  "
            u"IIF(p.ProposalDate IS NULL, 0, p.ProposalDate) AS Propdate FROM Policies as p, Schemes as s WHERE "
            u"p.SchemeRef = s.SchemeRef AND s.ManagerRef = 12000010 AND s.SchemeType = 5  AND RIGHT(p.PolicyNumber, 3) = ' PD'"),
        row("pep merge", T::Select,
            u"SELECT p.ClientRef, s.schemeref, s.ManagerRef, s.SchemeType, p.PolicyRef, p.Owner, p.PolicyNumber, "
            u"p.PremiumFreq, IIF(p.Premium IS NULL, 0, p.Premium) AS Prem, IIF(p.OnRiskDate IS NULL, 0, p.OnRiskDate) AS "
            u"ORdate FROM Policies as p, Schemes as s WHERE p.SchemeRef = s.SchemeRef AND s.ManagerRef = 12000010 AND "
            u"p.ClientRef = 12000200 AND s.SchemeType = 15 AND p.PolicyNumber = '12345 ID' AND Owner = 100"),
        row("pep merge", T::Update, u"UPDATE Policies SET SchemeRef = 12000031 WHERE PolicyRef = 12000600"),
        row("pep merge", T::Update,
            u"UPDATE Policies SET OnRiskDate = '16/Apr/2004', Premium = 50, ProposalDate = '02/Apr/2004' WHERE PolicyRef = 12000601"),
        row("pep merge", T::Update, u"UPDATE Policies SET Premium = 0, Status = 6 WHERE PolicyRef = 12000600"),

        // Branch credits and objectives.
        row("branch credits", T::Select, u"SELECT ManagerRef AS ConsultantRef, FullName FROM Managers ORDER By FullName"),
        row("branch credits", T::Select, u"SELECT ConsultantRef, FullName FROM Consultants WHERE Type = 3"),
        row("branch credits", T::Select,
            u"SELECT CommissionCredits.*, Consultants.FullName FROM CommissionCredits, Consultants  WHERE "
            u"CommissionCredits.ConsultantRef = Consultants.ConsultantRef  AND CommissionCredits.Type = 1 AND BranchRef = "
            u"12000070 ORDER BY CommissionCredits.ConsultantRef"),
        row("branch credits", T::Update,
            u"UPDATE CommissionCredits SET ConsultantRef = 12000070 WHERE FKeyType = 1 AND FKeyRef = 12000401 AND Type = 3 "
            u"AND ConsultantRef = 12000069"),
        row("objectives", T::Update,
            u"UPDATE ClientExtraDetails SET Objectives1 = Objectives2, Objectives2 = Objectives3, Objectives3 = "
            u"Objectives4, Objectives4 = Objectives5, Objectives5 = Objectives6, Objectives6 = Objectives7, Objectives7 = "
            u"Objectives8, Objectives8 = Objectives9, Objectives9 = Objectives1, LastUpdated = #09-12-2026# WHERE "
            u"LastUpdated <= #09-12-2025# "),

        // Firm cash and Cofunds.
        row("firm cash", T::Select, u"SELECT AccountRef, AccountName, CurrentBalance FROM Accounts WHERE FKeyType = 2"),
        row("firm cash", T::Select, u"SELECT SUM(Amount) AS TotalCash FROM CashEntries WHERE AccountRef = 12000321"),
        row("firm cash", T::Select, u"SELECT * FROM CashEntries"),
        row("cofunds", T::Select,
            u"SELECT ClientRef, PolicyNumber, Owner, PolicyRef FROM Policies, Schemes WHERE Policies.SchemeRef = "
            u"Schemes.SchemeRef AND Schemes.ManagerRef = 12000010"),
        row("cofunds", T::Select,
            u"SELECT ThirdPartyRef FROM ThirdPartyReferences WHERE FKeyType = 1 AND FKeyRef = 12000200 AND Owner = 100 "
            u"AND ServiceType = 10 AND ThirdPartyReference = 'A1234' AND ManagerRef = 12000010"),
        row("cofunds", T::Select, u"SELECT * FROM ThirdPartyReferences"),
        row("cofunds", T::Update, u"UPDATE Policies SET PolicyNumber = '9876' WHERE PolicyRef = 12000650"),
        row("cofunds", T::Select,
            u"SELECT FKeyRef FROM ThirdPartyReferences WHERE FKeyType = 1 AND ServiceType = 10 AND ThirdPartyReference = "
            u"'A1234' AND ManagerRef = 12000010"),
        row("cofunds", T::Update,
            u"UPDATE Policies SET PolicyNumber = '9876' WHERE ClientRef = 12000200 AND PolicyNumber = 'ABC123-9876'"),

        // Counters, clean-up and clear connection.
        row("update counters", T::Select, u"SELECT MAX(CounterID) AS MAXCounterID FROM NewCounters"),
        row("update counters", T::Select, u"SELECT * FROM NewCounters"),
        row("clean tables", T::Delete, u"DELETE FROM DBTables WHERE TableName = 'FirstPage'"),
        row("clean tables", T::Delete,
            u"DELETE FROM DBTables WHERE TableName = 'CapitalEventEntries' AND DBVersion = 5.4"),
        row("clean tables", T::Delete,
            u"DELETE FROM DBColumns WHERE ColumnTableName = 'CapitalEventEntries' AND DBVersion = 5.4"),
        row("clean tables", T::DataDefinition, u"DROP TABLE FirstPage"),
        row("clear connection", T::Select, u"SELECT * FROM LocalUser"),
        row("clear connection", T::Select, u"SELECT * FROM Users WHERE UserRef = 12000044"),
        row("clear connection", T::Update, u"UPDATE Users SET LoggedOn = 0 WHERE UserRef= 12000044"),

        // Clear business management.
        row("clear business management", T::Delete, u"DELETE FROM Debtors"),
        row("clear business management", T::Update, u"UPDATE MortgageDetails SET Fee_Procurement_Received = NULL"),
        row("clear business management", T::Update, u"UPDATE Transactions SET CommnClient = NULL, CommnBroker = NULL"),
        row("clear business management", T::Delete, u"DELETE FROM CommissionPayaways WHERE FKeyType = 5"),
        row("clear business management", T::Delete,
            u"DELETE FROM CommnEntries WHERE CommnPremRef IN (SELECT CommnPremRef FROM CommnPremiums WHERE "
            u"CommnPremiumDate < #05 Jan 2004#)"),
        row("clear business management", T::Delete, u"DELETE FROM Fees WHERE FeeDate < #05 Jan 2004#"),
        row("clear business management", T::Delete,
            u"DELETE FROM FeeOffsetLinks WHERE FeeRef NOT IN (SELECT FeeRef FROM Fees)"),
        row("clear business management", T::Delete,
            u"DELETE FROM FeeOffsets WHERE FeeOffSetRef NOT IN (SELECT FeeOffSetRef FROM FeeOffSetLinks)"),
        row("clear business management", T::Delete,
            u"DELETE FROM PortfolioCommissions WHERE TransactionRef IN (SELECT TransactionRef FROM Transactions WHERE "
            u"TransactionDate < #05 Jan 2004#)"),
        row("clear business management", T::Update,
            u"UPDATE MortgageDetails SET Fee_Procurement_TotalDue = 0 WHERE Fee_Procurement_DateDue < #05 Jan 2004#"),
        row("clear business management", T::Delete,
            u"DELETE FROM CommissionCredits WHERE FKeyType = 1 AND FKeyRef NOT IN (SELECT CommnEntryRef FROM CommnEntries)"),
        row("clear business management", T::Delete,
            u"DELETE FROM CommissionCredits WHERE FKeyType = 4 AND FKeyRef IN (SELECT MortgageDetailRef FROM "
            u"MortgageDetails \r\nWHERE Fee_Procurement_TotalDue = 0)"),
        row("clear business management", T::Update,
            u"UPDATE Transactions SET CommnClient = NULL, CommnBroker = NULL WHERE TransactionDate < #05 Jan 2004#"),
        row("clear business management", T::Update, u"UPDATE AccountingOptions SET CurrentPeriod=14"),
        row("clear business management", T::Delete, u"DELETE FROM PeriodBalances WHERE AccountingPeriod = 14"),
        row("clear business management", T::Append,
            u"INSERT INTO PeriodBalances (AccountType,AccountingPeriod,OpeningBalance,LastUpdated) VALUES "
            u"(1,14,0,#16 Apr 2004#)"),

        // Document transfer.
        row("document transfer", T::Select,
            u"SELECT ClGroupName AS ListName, ClGroupRef AS Ref FROM ClientGroups WHERE (ParentGroupRef < 1 OR "
            u"ParentGroupRef IS NULL) ORDER BY ClGroupName"),
        row("document transfer", T::Select,
            u"SELECT ClGroupName AS ListName, ClGroupRef AS Ref FROM ClientGroups WHERE ParentGroupRef = 12000008 ORDER BY ClGroupName"),
        row("document transfer", T::Select,
            u"SELECT i.ImageRef, i.Path AS iPath, i.DocumentName AS iDocumentName, i.LetterDate AS iLetterDate, i.Subject "
            u"AS iSubject, de.DiaryRef, de.ToDoBy AS deDiaryDate, de.Subject AS deSubject, dt.TypeName AS dtType, "
            u"dtc.CategoryName AS dtCategory, c.ClientRef, c.AccountNumber, c.Surname AS cClientSurname, c.Initials AS "
            u"cClientInitials, c.PartnerSurname AS cPartnerSurname, c.PartnerInitials AS cPartnerInitials, "
            u"db.DocumanBatchRef, db.Path AS dbPath, de.PolicyRef , p.PolicyNumber, s.SchemeRef, s.SchemeName, "
            u"m.ShortName FROM ((((((Images AS i LEFT JOIN DiaryEntries AS de ON i.DiaryRef = de.DiaryRef) LEFT JOIN "
            u"DiaryTypes AS dt ON de.DiaryTypeRef = dt.DiaryTypeRef) LEFT JOIN DiaryTypeCategories AS dtc ON "
            u"dt.DiaryTypeCategoryRef = dtc.DiaryTypeCategoryRef) LEFT JOIN Clients AS c ON de.ClientRef = c.ClientRef) "
            u"LEFT JOIN ClientGroupEntries cge ON c.ClientRef = cge.ClientRef) LEFT JOIN DocumanBatch AS db ON "
            u"i.DocumentNumber = db.DocumanBatchRef) LEFT JOIN ((Policies p LEFT JOIN Schemes s ON p.SchemeRef = "
            u"s.SchemeRef) LEFT JOIN Managers m ON m.ManagerRef = s.ManagerRef) ON p.PolicyRef = de.PolicyRef WHERE "
            u"i.Path IS NOT NULL AND cge.ClGroupRef = 12000008 AND db.DocumanBatchRef IS NULL AND i.ImageRef => 100 "
            u"AND i.ImageRef <= 900 ORDER BY c.ClientRef ASC, p.PolicyRef ASC, i.LetterDate ASC"),
        row("document transfer", T::Update,
            u"UPDATE DocumanBatch SET Path = 'C:\\Docs\\O''Brien\\letter.doc' WHERE DocumanBatchRef = 12000077"),
        row("document transfer", T::Update, u"UPDATE Images SET LastUpdated = NOW() WHERE ImageRef = 12000100"),
        row("document transfer", T::Update,
            u"UPDATE Images SET Path = '\\\\server\\docs\\', DocumentName = 'O''Brien.doc', LastUpdated = NOW() WHERE "
            u"ImageRef = 12000100"),

        // Import and export.
        row("export table", T::MakeTable, u"select * into [;database=C:\\x.mdb].Clients from Customers"),
        row("export table", T::MakeTable, u"select * into [dBase IV;database=C:\\out].cust from Customers"),
        row("export table", T::MakeTable,
            u"select * into [ODBC;DSN=Corvane;UID=qor;PWD=a=b;DATABASE=Mainqor].Rates from Rates"),
        row("export query", T::MakeTable,
            u"select TOP 10 City, Sum(Amount) AS Total into [Excel 5.0;database=C:\\out\\cities.xls].Cities FROM Orders "
            u"INNER JOIN Customers ON Orders.CustID = Customers.ID WHERE Amount > 0 GROUP BY City ORDER BY City"),
        row("import", T::MakeTable, u"select * into Funds from [ODBC;DSN=Corvane;UID=qor;PWD=secret].dbo.Funds"),
        row("import", T::MakeTable, u"select * into cust from [Text;database=C:\\in].cust"),
    };
}

}  // namespace

const std::vector<UtilityStatement>& utilityStatements() {
    static const std::vector<UtilityStatement> statements = buildStatements();
    return statements;
}

}  // namespace veranth::engine::sql::testing
