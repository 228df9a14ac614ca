#include "tests/sql/dialect_database.h"

#include "engine/errors.h"
#include "engine/native/catalog.h"
#include "engine/sql/dialect_functions.h"
#include "engine/sql/dialect_translator.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace veranth::engine::sql::testing {

namespace {

FieldType typeNamed(const QString& name) {
    static const std::pair<const char*, FieldType> names[] = {
        {"Boolean", FieldType::Boolean}, {"Byte", FieldType::Byte},     {"Integer", FieldType::Integer},
        {"Long", FieldType::Long},       {"Currency", FieldType::Currency}, {"Single", FieldType::Single},
        {"Double", FieldType::Double},   {"Date", FieldType::Date},     {"Text", FieldType::Text},
        {"Memo", FieldType::Memo},       {"Binary", FieldType::Binary},
    };
    for (const auto& [n, t] : names)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return t;
    throw std::invalid_argument("unknown type " + name.toStdString());
}

// Carries out a make-table step the way the engine's object model would.
void carryOut(native::Connection& c, StaticCatalog& catalog, const CreateTableStep& step) {
    QStringList columns;
    for (const FieldInfo& f : step.fields) columns << native::quoteName(f.name) + QLatin1Char(' ') + native::catalog::storageType(f);
    const QString schema = step.schema.isEmpty() ? QString() : native::quoteName(step.schema) + QLatin1Char('.');
    c.exec(QStringLiteral("CREATE TABLE %1%2 (%3)").arg(schema, native::quoteName(step.table), columns.join(QStringLiteral(", "))));
    TableInfo t;
    t.name = step.table;
    t.fields = step.fields;
    catalog.addTable(t);
}

}  // namespace

namespace {
// Every other database a statement names (IN, [connect] prefixes) is, here, one attached file.
class CatalogWithExternal : public StaticCatalog {
public:
    const CatalogView* external(const QString&, const QString&) const override { return other.get(); }
    std::shared_ptr<StaticCatalog> other;
};
}  // namespace

DialectDatabase::DialectDatabase()
    : connection_(native::Connection::open(QStringLiteral(":memory:"), false, true)),
      catalog_(std::make_shared<CatalogWithExternal>()) {
    registerDialectFunctions(connection_->handle());
}

void DialectDatabase::attachExternal() {
    auto other = std::make_shared<StaticCatalog>();
    other->setSchemaName(QStringLiteral("ext"));
    std::static_pointer_cast<CatalogWithExternal>(catalog_)->other = other;
    external_ = other;
    connection_->exec(QStringLiteral("ATTACH ':memory:' AS ext"));
}

void DialectDatabase::createExternalTable(const QString& name, const std::vector<FieldInfo>& fields) {
    QStringList columns;
    for (const FieldInfo& f : fields) columns << native::quoteName(f.name) + QLatin1Char(' ') + native::catalog::storageType(f);
    connection_->exec(QStringLiteral("CREATE TABLE ext.%1 (%2)").arg(native::quoteName(name), columns.join(QStringLiteral(", "))));
    TableInfo t;
    t.name = name;
    t.fields = fields;
    external_->addTable(t);
}

void DialectDatabase::createTable(const QString& name, const QString& columns) {
    TableInfo table;
    table.name = name;
    static const QRegularExpression column(QStringLiteral(R"(^\s*(?:\[([^\]]+)\]|(\w+))\s+(\w+)(?:\((\d+)\))?\s*$)"));
    for (const QString& part : columns.split(QLatin1Char(','))) {
        const auto m = column.match(part);
        if (!m.hasMatch()) throw std::invalid_argument("bad column " + part.toStdString());
        FieldInfo f;
        f.name = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        f.type = typeNamed(m.captured(3));
        f.size = m.captured(4).isEmpty() ? defaultFieldSize(f.type) : m.captured(4).toInt();
        f.ordinalPosition = static_cast<int>(table.fields.size());
        table.fields.push_back(f);
    }
    carryOut(*connection_, *catalog_, CreateTableStep{name, table.fields, {}, {}});
}

void DialectDatabase::insert(const QString& table, const std::vector<std::vector<Value>>& rows) {
    const TableInfo* t = catalog_->table(table);
    QStringList marks;
    for (size_t i = 0; i < t->fields.size(); ++i) marks << QStringLiteral("?");
    native::Statement s = connection_->prepare(
        QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(native::quoteName(t->name), marks.join(QLatin1Char(','))));
    for (const auto& row : rows) {
        s.reset();
        for (size_t i = 0; i < row.size(); ++i) s.bind(static_cast<int>(i + 1), row[i], t->fields[i].type);
        s.step();
    }
}

Translation DialectDatabase::translate(const QString& statement) const {
    return DialectTranslator(catalog_).translate(statement);
}

std::vector<std::vector<Value>> DialectDatabase::run(const QString& statement, const std::vector<Value>& parameters) {
    const Translation t = translate(statement);
    for (const DefinitionStep& step : t.definitions)
        if (const auto* create = std::get_if<CreateTableStep>(&step))
            carryOut(*connection_, create->schema.isEmpty() ? *catalog_ : *external_, *create);
    std::vector<std::vector<Value>> rows;
    if (t.sql.isEmpty()) return rows;
    native::Statement s = connection_->prepare(t.sql);
    int index = 1;
    for (size_t i = 0; i < t.parameters.size(); ++i, ++index) {
        const Value p = i < parameters.size() ? parameters[i] : Value::null();
        if (t.parameters[i].type) s.bind(index, p, *t.parameters[i].type);
        else s.bind(index, p);
    }
    for (const auto& [value, storage] : t.constants) {
        if (storage) s.bind(index++, value, *storage);
        else s.bind(index++, value);
    }
    try {
        while (s.step()) {
            std::vector<Value> row;
            for (int c = 0; c < s.columnCount(); ++c) {
                const auto& type = t.columns.at(static_cast<size_t>(c)).type;
                row.push_back(type ? s.value(c, *type) : s.dynamicValue(c));
            }
            rows.push_back(std::move(row));
        }
    } catch (const EngineError& e) {
        // A dialect function's own error travels inside SQLite's message.
        if (auto inner = engineErrorFromSqliteMessage(e.description())) throw *inner;
        throw;
    }
    return rows;
}

Value DialectDatabase::scalar(const QString& statement, const std::vector<Value>& parameters) {
    const auto rows = run(statement, parameters);
    if (rows.size() != 1 || rows.front().size() != 1) throw std::runtime_error("not a single value");
    return rows.front().front();
}

void createCorvaneSchema(DialectDatabase& db) {
    const std::pair<const char*, const char*> tables[] = {
        {"Customers", "ID Long, City Text(50)"},
        {"Orders", "OrderID Long, CustID Long, Amount Currency, OrderDate Date"},
        {"Order Details", "OrderID Long, [Unit Price] Currency, Discount Double"},
        {"SystemOptions", "BranchID Long"},
        {"NewCounters", "CounterRef Long, CounterID Long, CounterValue Long"},
        {"Clients", "ClientRef Long, Surname Text(50), Initials Text(10), Title Text(10), Owner Integer, "
                    "AccountNumber Text(20), Forenames Text(50), PartnerSurname Text(50), PartnerInitials Text(10)"},
        {"Users", "UserRef Long, UserName Text(50), LoggedOn Boolean"},
        {"UserFurtherDetails", "UserRef Long"},
        {"DiaryEntries", "DiaryRef Long, UserRef Long, TakenBy Long, PolicyRef Long, ClientRef Long, DiaryTypeRef Long, "
                         "ToDoBy Date, Subject Text(100)"},
        {"CashEntries", "CashEntryRef Long, AccountRef Long, Amount Currency, PostingDate Date"},
        {"Accounts", "AccountRef Long, FKeyRef Long, FKeyType Integer, AccountName Text(50), CurrentBalance Currency, "
                     "ForwardBalance Currency"},
        {"Policies", "PolicyRef Long, ClientRef Long, SchemeRef Long, PolicyNumber Text(30), Owner Integer, "
                     "PremiumFreq Integer, Premium Currency, OnRiskDate Date, MaturityDate Date, ProposalDate Date, "
                     "LastUpdated Date, Status Integer"},
        {"Transactions", "TransactionRef Long, Settled Boolean, TransactionDate Date, CommnClient Currency, CommnBroker Currency"},
        {"Schemes", "SchemeRef Long, SchemeName Text(50), ManagerRef Long, SchemeType Integer"},
        {"CommnPremiums", "CommnPremRef Long, PolicyRef Long, CommnPremiumDate Date"},
        {"FundHoldings", "FundHoldingRef Long, FKeyRef Long, FKeyType Integer"},
        {"PensionSchemes", "PensionSchemeRef Long, SchemeRef Long"},
        {"PensionPolicies", "PolicyRef Long, PensionSchemeRef Long, MemberFlexibility Boolean"},
        {"SPPolicies", "PolicyRef Long, PensionSchemeRef Long"},
        {"TimeFeeEntries", "TimeFeeRef Long, TimeFeeChargeRef Long, UserRef Long, ChargeStart Date, ChargeEnd Date, "
                           "AmountToCharge Currency"},
        {"TimeFeeCharges", "TimeFeeChargeRef Long, HourlyCharge Currency, Rounding Integer"},
        {"ProviderCodes", "UnitPriceRef Long, ProviderCode Text(20)"},
        {"UnitPrices", "UnitPriceRef Long, Sedol Text(12), ProviderReference Text(20)"},
        {"Managers", "ManagerRef Long, FullName Text(50), ShortName Text(20)"},
        {"Consultants", "ConsultantRef Long, FullName Text(50), Type Integer, UserRef Long"},
        {"CommissionCredits", "CommissionCreditRef Long, ConsultantRef Long, FKeyType Integer, FKeyRef Long, Type Integer, "
                              "BranchRef Long"},
        {"ClientExtraDetails", "ClientRef Long, Objectives1 Text(50), Objectives2 Text(50), Objectives3 Text(50), "
                               "Objectives4 Text(50), Objectives5 Text(50), Objectives6 Text(50), Objectives7 Text(50), "
                               "Objectives8 Text(50), Objectives9 Text(50), LastUpdated Date"},
        {"ThirdPartyReferences", "ThirdPartyRef Long, FKeyType Integer, FKeyRef Long, Owner Integer, ServiceType Integer, "
                                 "ThirdPartyReference Text(30), ManagerRef Long, LastUpdated Date"},
        {"DBTables", "TableName Text(64), DBVersion Single"},
        {"DBColumns", "ColumnTableName Text(64), DBVersion Single"},
        {"FirstPage", "FirstPageRef Long"},
        {"LocalUser", "UserRef Long, LoggedOn Boolean"},
        {"Debtors", "DebtorRef Long"},
        {"MortgageDetails", "MortgageDetailRef Long, Fee_Procurement_Settled Boolean, Fee_Procurement_Received Currency, "
                            "Fee_Procurement_TotalDue Currency, Fee_Procurement_DateDue Date"},
        {"CommissionPayaways", "CommissionPayawayRef Long, FKeyType Integer, FKeyRef Long, AmountPaid Currency, Settled Boolean"},
        {"CommnEntries", "CommnEntryRef Long, CommnPremRef Long, Settled Boolean, TotalReceived Currency"},
        {"Fees", "FeeRef Long, FeeDate Date, Fee_Received Currency, VAT_Received Currency, Received Boolean"},
        {"FeeOffsets", "FeeOffSetRef Long"},
        {"FeeOffsetLinks", "FeeRef Long, FeeOffSetRef Long"},
        {"PortfolioCommissions", "PortfolioCommnRef Long, TransactionRef Long, Settled Boolean, TotalReceived Currency"},
        {"AccountingOptions", "CurrentPeriod Long"},
        {"PeriodBalances", "AccountType Integer, AccountingPeriod Long, OpeningBalance Currency, LastUpdated Date"},
        {"ClientGroups", "ClGroupRef Long, ClGroupName Text(50), ParentGroupRef Long"},
        {"ClientGroupEntries", "ClientRef Long, ClGroupRef Long"},
        {"Images", "ImageRef Long, Path Text(255), DocumentName Text(255), LetterDate Date, Subject Text(100), DiaryRef Long, "
                   "DocumentNumber Long, LastUpdated Date"},
        {"DocumanBatch", "DocumanBatchRef Long, Path Text(255)"},
        {"DiaryTypes", "DiaryTypeRef Long, TypeName Text(50), DiaryTypeCategoryRef Long"},
        {"DiaryTypeCategories", "DiaryTypeCategoryRef Long, CategoryName Text(50)"},
        {"Rates", "RateRef Long, Rate Double"},
    };
    for (const auto& [name, columns] : tables) {
        db.createTable(QString::fromLatin1(name), QString::fromLatin1(columns));
    }
}

}  // namespace veranth::engine::sql::testing
