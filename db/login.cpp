#include "db/login.h"

#include "db/connection.h"
#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"
#include "platform/site_profile.h"

namespace veranth::db {

QString CorvaneSecurityFile() {
    return platform::ReadSiteSetting(QStringLiteral("Database Paths"), QStringLiteral("Local")) + QStringLiteral("qor.mdw");
}

QString LoginOk(Session& session, const QString& loginName, const QString& password) {
    if (session.workspace && loginName.toUpper() == session.workspace->userName().toUpper()) return QString();
    try {
        session.Engine().setDefaultUser(loginName);
        session.Engine().setDefaultPassword(password);
    } catch (const engine::EngineError& e) {
        return e.description();
    }
    session.workspace.reset();
    try {
        session.Engine().setSystemDB(CorvaneSecurityFile());
        session.workspace = session.Engine().createWorkspace(QStringLiteral("MainWS"), loginName, password);
    } catch (const std::exception&) {
        // A refused login leaves no workspace; the next engine operation says so.
    }
    return QString();
}

bool LoginCancel(const Session& session) { return !session.workspace; }

void ShowUserPanel(Session& session) {
    session.Status().SetPanelText(2, QStringLiteral(" User: ") + (session.workspace ? session.workspace->userName() : QString()) +
                                         QStringLiteral(" "));
}

void SwitchWorkspace(Session& session) {
    const bool wasOpen = session.database != nullptr;
    try {
        QString name, connect, user;
        if (wasOpen) {
            name = session.database->name();
            connect = session.database->connect();
            user = session.workspace ? session.workspace->userName() : QString();
        }
        session.Windows().ShowLoginWindow();
        ShowUserPanel(session);
        const QString newUser = session.workspace ? session.workspace->userName() : QString();
        if (!wasOpen || newUser.toUpper() == user.toUpper()) return;
        ShowStatus(session, QStringLiteral("Closing Recordsets"), true);
        session.Windows().UnloadRecordsetWindows();
        ShowStatus(session, QString());
        if (!session.workspace)
            throw engine::EngineError::withDescription(91, QStringLiteral("There is no current workspace; log in again (File > Workspace...)."));
        std::shared_ptr<engine::Database> reopened = session.workspace->openDatabase(name, false, session.connection.readOnlyOpen, connect);
        std::shared_ptr<engine::Database> old = std::move(session.database);
        session.database = std::move(reopened);
        old->close();
    } catch (const std::exception& e) {
        if (const auto* engineError = dynamic_cast<const engine::EngineError*>(&e)) ShowError(session, *engineError);
        else ShowError(session, e);
        if (session.database) {
            session.Prompter().Inform(QStringLiteral("Current Database must be closed due to the error!"), QStringLiteral("Veranth"),
                                      platform::MessageIcon::Exclamation);
            // Nothing can be committed as a user who is gone.
            session.connection.pendingChanges = false;
            CloseDatabase(session);
        }
    }
}

void ChooseSecurityFile(Session& session) {
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Select SYSTEM.MD? (Microsoft Access Security File)");
    request.filter = QStringLiteral("System Databases|SYSTEM.MD?");
    request.fileName = QStringLiteral("SYSTEM.MDW");
    request.flags = platform::FileDialogFlags::FileMustExist | platform::FileDialogFlags::HideReadOnly;
    const platform::FileDialogResult chosen = session.Prompter().FileDialog(request);
    if (!chosen.accepted || chosen.fileName.isEmpty()) return;
    session.Store().Set(QLatin1String(platform::kAddInsEnginesApplication), QStringLiteral("Engines"), QStringLiteral("SystemDB"),
                        chosen.fileName);
    session.Store().SaveUserSetting(QStringLiteral("LoadSystemDB"), QStringLiteral("Yes"));
}

}  // namespace veranth::db
