#include "repairs/maintenance_utilities.h"

#include "db/session.h"
#include "engine/conversions.h"
#include "engine/database.h"
#include "engine/dbengine.h"
#include "engine/errors.h"
#include "engine/recordset.h"
#include "engine/workspace.h"
#include "platform/site_profile.h"
#include "repairs/sql_text.h"

#include <limits>

namespace veranth::repairs {

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

constexpr int kCounterBlock = 256;
constexpr int kNoDriverPrompt = 1;

UtilityResult FailureOf(const std::exception& e) {
    const auto [number, description] = ErrorOf(e);
    return UtilityResult::Failure(number, description);
}

void Say(db::Session& session, const QString& text, const QString& title, MessageIcon icon) {
    session.Prompter().Message({text, title, MessageButtons::Ok, icon, 1});
}

engine::Database& Current(db::Session& session) {
    if (!session.database) throw engine::EngineError::withDescription(91, QStringLiteral("No database is open."));
    return *session.database;
}

std::int16_t HighestCounterId(engine::Database& db) {
    auto rs = db.openRecordset(QStringLiteral("SELECT MAX(CounterID) AS MAXCounterID FROM NewCounters"), engine::RecordsetType::ForwardOnly);
    const engine::Value highest = rs->eof() ? engine::Value::null() : rs->fieldValue(0);
    rs->close();
    return highest.isMissing() ? 0 : engine::toInteger(highest);
}

void AppendCounters(db::Session& session, engine::Database& db, int first, int last) {
    auto rs = db.openRecordset(QStringLiteral("SELECT * FROM NewCounters"), engine::RecordsetType::Dynaset);
    const auto ref = rs->field(QStringLiteral("CounterRef"));
    const auto id = rs->field(QStringLiteral("CounterID"));
    const auto value = rs->field(QStringLiteral("CounterValue"));
    try {
        for (int i = first; i <= last; ++i) {
            rs->addNew();
            ref->setValue(engine::Value::longValue(i * kCounterBlock - (kCounterBlock - 1)));
            id->setValue(engine::Value::longValue(i));
            value->setValue(engine::Value::longValue(0));
            rs->update();
            for (int k = kCounterBlock - 2; k >= 0; --k) {
                rs->addNew();
                ref->setValue(engine::Value::longValue(i * kCounterBlock - k));
                rs->update();
            }
            session.Yield()();
        }
    } catch (...) {
        rs->close();
        throw;
    }
    rs->close();
}

// A value inside an ODBC connect string: braced when it holds what would end or confuse it.
QString ConnectValue(const QString& value) {
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) && !value.contains(QLatin1Char('}')) &&
        value.trimmed() == value)
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + doubled + QLatin1Char('}');
}

QString PathSetting(const char* key) { return platform::ReadSiteSetting(QStringLiteral("Database Paths"), QLatin1String(key)); }

bool SiteOnServer() { return engine::val(PathSetting("Database Type")) == 1; }

std::shared_ptr<engine::Database> OpenSiteMain(db::Session& session) {
    if (!SiteOnServer()) return UtilityWorkspace(session).openDatabase(ClearConnectionMainPath());
    QString database = QStringLiteral("Mainqor");
    const QString extension = PathSetting("DBExtension");
    if (!extension.isEmpty()) database += QLatin1Char('_') + extension;
    const db::ConnectionState& c = session.connection;
    const QString user = c.odbcUserName.isEmpty() ? session.site.credentials.login : c.odbcUserName;
    const QString password = c.odbcPassword.isEmpty() ? session.site.credentials.password : c.odbcPassword;
    const QString connect = QStringLiteral("ODBC;DRIVER={SQL Server};SERVER=") + ConnectValue(PathSetting("Main")) +
                            QStringLiteral(";DATABASE=") + ConnectValue(database) + QStringLiteral(";UID=") + ConnectValue(user) +
                            QStringLiteral(";PWD=") + ConnectValue(password);
    return session.Engine().openDatabase(QString(), kNoDriverPrompt, false, connect);
}

struct Retired {
    const char* table;
    float version;  // 0: any
    bool drop;
};

constexpr Retired kRetiredTables[] = {
    {"FirstPage", 0, true},       {"FirstPageLookUp", 0, true}, {"FirstPageCosts", 0, true}, {"FirstPageCostsLookUp", 0, true},
    {"DEV_ProblemResolution", 0, true}, {"DEV_Lookups", 0, true}, {"DEV_Progress", 0, true}, {"DEV_testing", 0, true},
    {"DEV_TimeBox", 0, true},     {"DEV_Version", 0, true},     {"SUP_DiaryExtension", 0, true}, {"CapitalEventEntries", 5.4f, false},
};

}  // namespace

UtilityResult AddCounters(db::Session& session, std::int16_t howMany, bool inCallerTransaction, std::optional<std::int16_t> target) {
    const BusyScope busy(session, QStringLiteral("Processing Records..."));
    std::optional<TransactionScope> transaction;
    try {
        engine::Database& db = Current(session);
        const std::int16_t highest = HighestCounterId(db);
        if (target && highest >= *target) return UtilityResult::Ok();
        if (highest == 0) {
            const QString text = QStringLiteral("No counters were found in the NewCounters table,") + QStringLiteral("\r\n") +
                                 QStringLiteral("Please contact Varnholt for further assistance");
            Say(session, text, QStringLiteral("Add New Counters"), MessageIcon::Critical);
            return UtilityResult::Failure(engine::err::kNoCurrentRecord, text);
        }
        const int last = highest + howMany;
        if (last > std::numeric_limits<std::int16_t>::max()) throw engine::EngineError(engine::err::kOverflow, QString::number(last));
        if (!inCallerTransaction) transaction.emplace(UtilityWorkspace(session));
        AppendCounters(session, db, highest + 1, last);
        if (transaction) transaction->Commit();
        return UtilityResult::Ok();
    } catch (const std::exception& e) {
        if (transaction) transaction->Rollback();
        return FailureOf(e);
    }
}

UtilityResult UpdateCountersV30(db::Session& session) {
    const UtilityResult result = AddCounters(session, 50, false, 200);
    Say(session, result.failed() ? QStringLiteral("Counter Update failed") : QStringLiteral("Counter Update completed"),
        QStringLiteral("Veranth"), MessageIcon::Critical);
    return result;
}

UtilityResult CleanDBTable(db::Session& session, const QString& table, float version, bool dropTable) {
    session.Status().SetBusy(true);
    try {
        engine::Database& db = Current(session);
        TransactionScope transaction(UtilityWorkspace(session));
        const QString name = SqlText(table);
        const QString where = version > 0 ? QStringLiteral(" AND DBVersion = ") + QString::number(version) : QString();
        for (const char* catalogue : {"DBTables", "DBJoins", "DBInitialData", "DBIndexes"})
            db.execute(QStringLiteral("DELETE FROM ") + QLatin1String(catalogue) + QStringLiteral(" WHERE TableName = ") + name + where);
        db.execute(QStringLiteral("DELETE FROM DBColumns WHERE ColumnTableName = ") + name + where);
        if (dropTable) {
            try {
                db.execute(QStringLiteral("DROP TABLE ") + SqlName(table));
            } catch (const std::exception&) {
                // A table that is already gone is what the clean wants.
            }
        }
        transaction.Commit();
        session.Status().SetBusy(false);
        return UtilityResult::Ok();
    } catch (const std::exception& e) {
        session.Status().SetBusy(false);
        const UtilityResult failure = FailureOf(e);
        Say(session, QStringLiteral("Error ") + QString::number(failure.number) + QStringLiteral(" occurred. Database transaction has been rolled back."),
            QStringLiteral("Veranth"), MessageIcon::Critical);
        return failure;
    }
}

UtilityResult CleanDBTables(db::Session& session) {
    UtilityResult result = UtilityResult::Ok();
    for (const Retired& retired : kRetiredTables) {
        const UtilityResult one = CleanDBTable(session, QLatin1String(retired.table), retired.version, retired.drop);
        if (one.failed()) result = one;
    }
    Say(session, QStringLiteral("Completed DB Table Clean"), QStringLiteral("Veranth"), MessageIcon::None);
    return result;
}

QString ClearConnectionLocalPath() { return PathSetting("Local") + QStringLiteral("localqor.mdb"); }
QString ClearConnectionMainPath() { return PathSetting("Main") + QStringLiteral("Mainqor"); }

UtilityResult ClearConnection(db::Session& session) {
    const QString item = QStringLiteral("mnu_DU_ClearConn");
    session.menus.SetEnabled(item, false);
    std::shared_ptr<engine::Database> local, main;
    std::shared_ptr<engine::Recordset> localUser, user;
    const auto closeAll = [&] {
        for (auto* rs : {&user, &localUser})
            if (*rs && (*rs)->isOpen()) (*rs)->close();
        for (auto* db : {&main, &local})
            if (*db && (*db)->isOpen()) (*db)->close();
    };
    UtilityResult result = UtilityResult::Ok();
    try {
        local = UtilityWorkspace(session).openDatabase(ClearConnectionLocalPath());
        localUser = local->openRecordset(QStringLiteral("SELECT * FROM LocalUser"), engine::RecordsetType::Dynaset);
        main = OpenSiteMain(session);
        const int options = SiteOnServer() ? engine::exec_option::kSqlPassThrough : 0;
        const QString userRef = QString::number(engine::toLong(localUser->field(QStringLiteral("UserRef"))->value()));
        user = main->openRecordset(QStringLiteral("SELECT * FROM Users WHERE UserRef = ") + userRef, engine::RecordsetType::Dynaset);
        const QString name = user->eof() ? QString() : engine::toDisplayText(user->field(QStringLiteral("UserName"))->value());
        if (session.Prompter().Ask(QStringLiteral("Are you sure you wish to clear connection for ") + name) == platform::MessageResult::Yes) {
            if (!name.trimmed().isEmpty())
                main->execute(QStringLiteral("UPDATE Users SET LoggedOn = 0 WHERE UserRef= ") + userRef, options);
            localUser->edit();
            localUser->field(QStringLiteral("LoggedOn"))->setValue(engine::Value::boolean(false));
            localUser->update();
        } else {
            result = UtilityResult::DeclinedRun();
        }
        closeAll();
    } catch (const std::exception& e) {
        try {
            closeAll();
        } catch (...) {
        }
        result = FailureOf(e);
        Say(session, QStringLiteral("Unable to clear the database connection."), QStringLiteral("Clear Connection"), MessageIcon::Exclamation);
    }
    session.menus.SetEnabled(item, true);
    return result;
}

}  // namespace veranth::repairs
