#include "db/connection.h"

#include "db/error_report.h"
#include "db/menu_tree.h"
#include "db/recent_list.h"
#include "db/session.h"
#include "db/status.h"
#include "db/transactions.h"
#include "engine/errors.h"
#include "platform/paths.h"

#include <QDir>

namespace veranth::db {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

bool IsAccess(const QString& dataType) { return dataType == QLatin1String(kAccessDataType); }
bool IsOdbc(const QString& dataType) { return dataType.left(5).toUpper() == QLatin1String(kOdbcDataType); }

// The types whose database is a file; the others open the folder of the file picked.
bool OpensAFile(const QString& dataType) {
    return dataType == QLatin1String("Btrieve;") || IsAccess(dataType) || dataType == QLatin1String("Excel 5.0;");
}

void ResetAfterFailedOpen(Session& session) {
    ConnectionState& c = session.connection;
    c.databaseOpen = session.database != nullptr;  // an open database that was not replaced stays the current one
    c.dataType.clear();
    c.databaseName.clear();
    c.odbcDatabase.clear();
    c.odbcUserName.clear();
    c.odbcPassword.clear();
    c.odbcDriver.clear();
    c.odbcServer.clear();
}

// Makes a freshly opened database the current one, closing the old one first.
bool Adopt(Session& session, std::shared_ptr<engine::Database> opened) {
    if (session.connection.databaseOpen) {
        const QString name = session.connection.databaseName;
        CloseDatabase(session);
        session.connection.databaseName = name;
        if (session.connection.databaseOpen) {
            opened->close();
            session.Prompter().Beep();
            session.Prompter().Inform(QStringLiteral("You must Close First!"), QStringLiteral("Veranth"), MessageIcon::Exclamation);
            return false;
        }
    }
    session.Windows().SetMainCaption(QStringLiteral("Corvane - Veranth (") + session.connection.databaseName + QLatin1Char(')'));
    session.database = std::move(opened);
    session.connection.databaseOpen = true;
    return true;
}

}  // namespace

QString GetFolderOfPath(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (platform::IsPathSeparator(path[i])) return path.left(i);
    return QString();
}

void ParseConnectString(Session& session, const QString& connect) {
    if (!connect.contains(QLatin1Char('='))) return;
    ConnectionState& c = session.connection;
    const struct {
        const char* key;
        QString ConnectionState::* field;
    } kKeys[] = {{"DSN", &ConnectionState::odbcDatasource}, {"DATABASE", &ConnectionState::odbcDatabase},
                 {"DBQ", &ConnectionState::odbcDatabase},   {"UID", &ConnectionState::odbcUserName},
                 {"PWD", &ConnectionState::odbcPassword},   {"Driver", &ConnectionState::odbcDriver},
                 {"Server", &ConnectionState::odbcServer}};
    for (const QString& segment : connect.split(QLatin1Char(';'))) {
        const qsizetype equals = segment.indexOf(QLatin1Char('='));
        if (equals < 0) continue;
        const QString key = segment.left(equals);
        for (const auto& k : kKeys)
            if (key == QLatin1String(k.key)) c.*k.field = segment.mid(equals + 1);
    }
}

OpenDialogText OpenDialogTextFor(const QString& t) {
    const auto any = [&](std::initializer_list<const char*> types) {
        for (const char* type : types)
            if (t == QLatin1String(type)) return true;
        return false;
    };
    if (IsAccess(t)) return {QStringLiteral("Microsoft Access MDBs (*.mdb)|*.mdb"), QStringLiteral("Open Microsoft Access Database")};
    if (any({"Dbase III;", "Dbase IV;", "Dbase 5.0;"})) return {QStringLiteral("Dbase DBs (*.dbf)|*.dbf"), QStringLiteral("Open Dbase Database")};
    if (any({"FoxPro 2.0;", "FoxPro 2.5;", "FoxPro 2.6;", "FoxPro 3.0;"}))
        return {QStringLiteral("FoxPro DBs (*.dbf)|*.dbf"), QStringLiteral("Open FoxPro Database")};
    if (any({"Paradox 3.X;", "Paradox 4.X;", "Paradox 5.X;"}))
        return {QStringLiteral("Paradox DBs (*.db)|*.db"), QStringLiteral("Open Paradox Database")};
    if (t == QLatin1String("Excel 5.0;")) return {QStringLiteral("Excel Files (*.xls)|*.xls"), QStringLiteral("Open Excel File")};
    if (t == QLatin1String("Btrieve;")) return {QStringLiteral("Btrieve DBs (FILE.DDF)|FILE.DDF"), QStringLiteral("Open Btrieve Database")};
    if (t == QLatin1String("Text;")) return {QStringLiteral("Text Files (*.txt)|*.txt"), QStringLiteral("Open Text Database")};
    return {};
}

void OpenDatabaseByType(Session& session, bool nameGiven) {
    ConnectionState& c = session.connection;
    try {
        if (!nameGiven) {
            const OpenDialogText text = OpenDialogTextFor(c.dataType);
            platform::FileDialogRequest request;
            request.title = text.title.isEmpty() ? session.lastDialogTitle : text.title;
            request.filter = text.title.isEmpty() ? session.lastDialogFilter : text.filter + QStringLiteral("|All Files (*.*)|*.*");
            session.lastDialogTitle = request.title;
            session.lastDialogFilter = request.filter;
            request.fileName = c.databaseName;
            request.flags = platform::FileDialogFlags::FileMustExist;
            const platform::FileDialogResult chosen = session.Prompter().FileDialog(request);
            if (!chosen.accepted)
                throw engine::EngineError::withDescription(program_error::kDialogCancelled, QStringLiteral("Cancel was selected."));
            session.dialogReadOnly = chosen.readOnly;
            if (chosen.fileName.isEmpty()) return;
            c.databaseName = chosen.fileName;
        }
        if (c.databaseName.isEmpty()) {
            ShowStatus(session, QString());
            return;
        }
        ShowStatus(session, QStringLiteral("Opening Database"), true);
        session.Status().SetBusy(true);
        QString connect = IsAccess(c.dataType) ? QString() : c.dataType;
        if (!nameGiven && !OpensAFile(c.dataType)) c.databaseName = GetFolderOfPath(c.databaseName);

        std::shared_ptr<engine::Database> opened;
        for (;;) {
            try {
                c.readOnlyOpen = session.dialogReadOnly;
                if (!session.workspace)
                    throw engine::EngineError::withDescription(91, QStringLiteral("There is no current workspace; log in again (File > Workspace...)."));
                opened = session.workspace->openDatabase(c.databaseName, false, c.readOnlyOpen, connect);
                break;
            } catch (const engine::EngineError& e) {
                session.Status().SetBusy(false);
                if (e.number() == engine::err::kDamagedDatabase) {
                    const MessageResult answer = session.Prompter().Message(
                        {e.description() + QStringLiteral("\r\n\r\nAttempt to Repair it?"), QStringLiteral("Veranth"), MessageButtons::YesNo,
                         MessageIcon::Exclamation, 1});
                    if (answer != MessageResult::Yes) throw;
                    session.Status().SetBusy(true);
                    ShowStatus(session, QStringLiteral("Repairing ") + c.databaseName, true);
                    session.Engine().repairDatabase(c.databaseName);
                    session.Status().SetBusy(false);
                    continue;
                }
                if (e.number() == engine::err::kBadPassword) {
                    const QString password = session.Windows().AskDatabasePassword();
                    if (password.isEmpty()) return;
                    connect = QStringLiteral(";pwd=") + password;
                    ShowStatus(session, QStringLiteral("Opening Database"), true);
                    session.Status().SetBusy(true);
                    continue;
                }
                throw;
            }
        }

        if (!Adopt(session, opened)) {
            session.Status().SetBusy(false);
            return;
        }
        AfterOpenUpdate(session);
        session.database->setQueryTimeout(c.queryTimeout);
        AddToRecentList(session, session.database->connect());
        if (!IsAccess(c.dataType)) ShowStatus(session, QStringLiteral("NOTE: Use of Attached Tables is the Recommended Method"));
        else ShowStatus(session, QString());
        session.Status().SetBusy(false);
    } catch (const engine::EngineError& e) {
        session.Status().SetBusy(false);
        ResetAfterFailedOpen(session);
        if (e.number() != program_error::kDialogCancelled && e.number() != engine::err::kDamagedDatabase) ShowError(session, e);
        else ShowStatus(session, QString());
    } catch (const std::exception& e) {
        session.Status().SetBusy(false);
        ResetAfterFailedOpen(session);
        ShowError(session, e);
    }
}

bool IsCorvaneMainDatabase(const QString& databaseName) { return databaseName.toUpper().contains(QLatin1String("MAINQOR")); }

void AfterOpenUpdate(Session& session) {
    MenuState& m = session.menus;
    m.SetEnabled(QStringLiteral("mnuDBClose"), true);
    m.SetEnabled(QStringLiteral("mnuDBImpExp"), true);
    m.SetEnabled(QStringLiteral("mnuUtil"), true);
    m.SetVisible(QStringLiteral("mnu_Dummy"), false);
    const bool corvane = session.database && IsCorvaneMainDatabase(session.database->name());
    for (const QString& item : RepairItemNames()) m.SetVisible(item, corvane);
    m.SetVisible(QStringLiteral("mnu_DU_CounterUPD"), true);
    SetTransactionButtonsIdle(session, true);

    ConnectionState& c = session.connection;
    session.nonAccessDatabase = !IsAccess(c.dataType);
    if (!IsOdbc(c.dataType)) {
        if (c.recordsetType == RecordsetType::PassThrough) c.recordsetType = RecordsetType::Dynaset;
        m.SetVisible(QStringLiteral("PassThrough"), false);
        m.SetVisible(QStringLiteral("Table"), true);
    } else {
        if (c.recordsetType == RecordsetType::Table) c.recordsetType = RecordsetType::Dynaset;
        m.SetVisible(QStringLiteral("PassThrough"), true);
        m.SetVisible(QStringLiteral("Table"), false);
    }
    for (const auto& [key, type] : {std::pair{"Table", RecordsetType::Table}, std::pair{"Dynaset", RecordsetType::Dynaset},
                                    std::pair{"Snapshot", RecordsetType::Snapshot}, std::pair{"PassThrough", RecordsetType::PassThrough}})
        m.SetChecked(QLatin1String(key), type == c.recordsetType);
    session.Windows().ShowDatabaseWindow();
    session.Windows().ShowSqlWindow();
}

void ClosedDatabaseState(Session& session) {
    session.menus.SetEnabled(QStringLiteral("mnuDBClose"), false);
    session.menus.SetEnabled(QStringLiteral("mnuDBImpExp"), false);
    SetTransactionButtonsIdle(session, false);
}

void CloseDatabase(Session& session) {
    if (!session.database) return;
    try {
        if (!ResolvePendingChangesAtClose(session)) return;
        ConnectionState& c = session.connection;
        // A transaction begun but with nothing noted as changed is ended with a commit, so work no
        // view reported (a utility's, say) is not thrown away by the close.
        if (c.inTransaction && session.workspace && session.workspace->transactionLevel() > 0) session.workspace->commitTrans();
        session.Windows().SetMainCaption(QStringLiteral("Tabrix"));
        ClosedDatabaseState(session);
        c.databaseOpen = false;
        c.inTransaction = false;
        c.pendingChanges = false;
        c.databaseName.clear();
        c.readOnlyOpen = false;
        std::shared_ptr<engine::Database> database = std::move(session.database);
        session.database.reset();
        database->close();
        session.Windows().UnloadChildWindows();
    } catch (const engine::EngineError& e) {
        ShowError(session, e);
    } catch (const std::exception& e) {
        ShowError(session, e);
    }
}

void NewIsamDatabase(Session& session, const QString& dataType) {
    session.connection.dataType = dataType;
    Guarded(session, [&] {
        for (;;) {
            const std::optional<QString> answer = session.Prompter().Input(
                {QStringLiteral("Enter Directory Name for New ISAM Database:"), QStringLiteral("Veranth"), session.lastIsamDirectory});
            if (!answer || answer->isEmpty()) return;
            session.lastIsamDirectory = *answer;
            QString name = *answer;
            if (!platform::IsPathSeparator(name.back())) name += QLatin1Char('/');
            const QString folder = name.left(name.size() - 1);
            if (!QDir(folder).exists() && !QDir().mkpath(folder)) {
                session.Prompter().Inform(QStringLiteral("Invalid Directory Name!"), QStringLiteral("Veranth"), MessageIcon::Exclamation);
                continue;
            }
            session.connection.databaseName = name;
            OpenDatabaseByType(session, true);
            if (session.connection.databaseOpen) AfterOpenUpdate(session);
            return;
        }
    });
}

void OpenRecentItem(Session& session, int k) {
    Guarded(session, [&] {
        session.connection.databaseName = RecentName(session, k);
        session.connection.dataType = session.menus.Tag(RecentItemName(k));
        if (!IsOdbc(session.connection.dataType)) {
            OpenDatabaseByType(session, true);
            return;
        }
        ParseConnectString(session, session.connection.dataType);
        session.Prompter().Inform(QStringLiteral("ODBC logon is not available in this build."), QStringLiteral("Veranth"),
                                  MessageIcon::Information);
    });
}

}  // namespace veranth::db
