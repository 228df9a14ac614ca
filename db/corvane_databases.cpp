#include "db/corvane_databases.h"

#include "db/connection.h"
#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "platform/site_profile.h"

namespace veranth::db {
namespace {

QString Folder(const char* key) { return platform::ReadSiteSetting(QStringLiteral("Database Paths"), QLatin1String(key)); }

QString FolderOf(CorvaneDatabase which) {
    switch (which) {
        case CorvaneDatabase::Main:
        case CorvaneDatabase::Annuity: return Folder("Main");
        case CorvaneDatabase::Local: return Folder("Local");
        case CorvaneDatabase::Letters: {
            const QString letters = Folder("Letters");
            return letters.isEmpty() ? Folder("Main") : letters;
        }
        case CorvaneDatabase::Ctp: {
            const QString ctp = Folder("CTP");
            return ctp.isEmpty() ? Folder("Main") : ctp;
        }
    }
    return {};
}

QString Quoted(const QString& value) {
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

}  // namespace

QString CorvaneBaseName(CorvaneDatabase which) {
    switch (which) {
        case CorvaneDatabase::Main: return QStringLiteral("Mainqor");
        case CorvaneDatabase::Local: return QStringLiteral("localqor");
        case CorvaneDatabase::Letters: return QStringLiteral("SLettqor");
        case CorvaneDatabase::Annuity: return QStringLiteral("Annuity");
        case CorvaneDatabase::Ctp: return QStringLiteral("CTPqor");
    }
    return {};
}

QString CorvaneAccessPath(CorvaneDatabase which) { return FolderOf(which) + CorvaneBaseName(which); }

QString CorvaneServerDatabaseName(CorvaneDatabase which, const QString& dbExtension) {
    const bool suffixed = which == CorvaneDatabase::Main || which == CorvaneDatabase::Letters || which == CorvaneDatabase::Ctp;
    return CorvaneBaseName(which) + (suffixed && !dbExtension.isEmpty() ? QLatin1Char('_') + dbExtension : QString());
}

void OpenCorvaneDatabase(Session& session, CorvaneDatabase which) {
    if (session.site.siteDatabaseType != 0 && which != CorvaneDatabase::Local) {
        session.connection.dataType = QLatin1String(kOdbcDataType);
        session.connection.odbcDatabase = CorvaneServerDatabaseName(which, session.site.siteDBExtension);
        // The silent logon and the registration row come with ODBC sources.
        ShowStatus(session, QStringLiteral("Enter ODBC Connection Parameters"));
        session.Prompter().Inform(QStringLiteral("SQL Server databases are not available in this build."), QStringLiteral("Veranth"),
                                  platform::MessageIcon::Information);
        return;
    }
    session.connection.dataType = QLatin1String(kAccessDataType);
    session.connection.databaseName = CorvaneAccessPath(which);
    OpenDatabaseByType(session, true);
}

QString RegistrationBatch(const QString& host, qint64 processId, const QString& user, const QString& program) {
    const QString table = QStringLiteral("[audit].[MachineSPIDUser]");
    const QString pid = QString::number(processId);
    const QString where = QStringLiteral(" WHERE [HostName]= ") + Quoted(host) + QStringLiteral(" AND [SPID] = ") + pid;
    return QStringLiteral("IF EXISTS (SELECT [SPID] FROM ") + table + where + QStringLiteral(")\r\n\t") + QStringLiteral(" UPDATE ") + table +
           QStringLiteral(" SET [UserName] = ") + Quoted(user) + QStringLiteral(" ,[UserRef] = 0") + QStringLiteral(" ,[Suspend] = 0") +
           QStringLiteral(" ,[AutoProcess] = 0") + QStringLiteral(" ,[LastUpdated] = GetDate() ") + QStringLiteral(" ,[ProcessName] = ") +
           Quoted(program) + where + QStringLiteral("\r\n") + QStringLiteral("ELSE \r\n\t") + QStringLiteral(" INSERT INTO ") + table +
           QStringLiteral(" ([HostName], [SPID], [UserRef], [UserName],[LastUpdated],[Suspend],[AutoProcess],[ProcessName]) ") +
           QStringLiteral(" VALUES ( ") + Quoted(host) + QStringLiteral(", ") + pid + QStringLiteral(",0,") + Quoted(user) +
           QStringLiteral(", GetDate(),0,0 ,") + Quoted(program) + QStringLiteral(" )");
}

bool OpenSiblingDatabase(Session& session, const QString& baseName, std::shared_ptr<engine::Database>& database, bool isAccessFile) {
    try {
        if (!session.database) return false;
        std::shared_ptr<engine::Workspace> workspace = session.Engine().defaultWorkspace();
        if (isAccessFile) {
            const QString name = session.database->name();
            constexpr int kMainFileNameLength = 11;  // "Mainqor.mdb"
            if (name.size() < kMainFileNameLength) return false;
            database = workspace->openDatabase(name.left(name.size() - kMainFileNameLength) + baseName);
            return true;
        }
        const QString connect = session.database->connect();
        const qsizetype p = connect.toUpper().indexOf(QLatin1String("MAINQOR"));
        if (p < 0) return false;
        constexpr int kNoDriverPrompt = 1;
        database = session.Engine().openDatabase(QString(), kNoDriverPrompt, false, connect.left(p) + baseName + connect.mid(p + 7));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString CorvaneCompactPath(int index) {
    switch (index) {
        case 0: return CorvaneAccessPath(CorvaneDatabase::Main) + QStringLiteral(".mdb");
        case 2: return CorvaneAccessPath(CorvaneDatabase::Letters) + QStringLiteral(".mdb");
        case 3: return CorvaneAccessPath(CorvaneDatabase::Annuity) + QStringLiteral(".mdb");
        case 4: return CorvaneAccessPath(CorvaneDatabase::Ctp) + QStringLiteral(".mdb");
        default: return {};
    }
}

QString CorvaneRepairPath(int index) {
    switch (index) {
        case 0: return CorvaneAccessPath(CorvaneDatabase::Main);
        case 1: return Folder("Local") + QStringLiteral("Localqor");
        case 2: return CorvaneAccessPath(CorvaneDatabase::Letters);
        case 3: return CorvaneAccessPath(CorvaneDatabase::Annuity);
        case 4: return CorvaneAccessPath(CorvaneDatabase::Ctp);
        default: return {};
    }
}

}  // namespace veranth::db
