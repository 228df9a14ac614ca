#include "db/transactions.h"

#include "db/session.h"
#include "engine/errors.h"

namespace veranth::db {
namespace {

using platform::MessageIcon;
using platform::MessageResult;

engine::Workspace& CurrentWorkspace(Session& session) {
    if (!session.workspace) throw engine::EngineError::withDescription(91, QStringLiteral("There is no current workspace; log in again (File > Workspace...)."));
    return *session.workspace;
}

void SetButtons(Session& session, bool begin, bool commitAndRollback) {
    session.menus.SetEnabled(QStringLiteral("BeginTrans"), begin);
    session.menus.SetEnabled(QStringLiteral("Commit"), commitAndRollback);
    session.menus.SetEnabled(QStringLiteral("Rollback"), commitAndRollback);
}

void Ended(Session& session) {
    session.connection.pendingChanges = false;
    session.connection.inTransaction = false;
    SetButtons(session, true, false);
}

bool Yes(Session& session, const char* question) {
    return session.Prompter().Ask(QLatin1String(question)) == MessageResult::Yes;
}

}  // namespace

void SetTransactionButtonsIdle(Session& session, bool databaseOpen) { SetButtons(session, databaseOpen, false); }

void ToolbarBeginTrans(Session& session) {
    if (!session.database || !session.database->transactions()) {
        session.Prompter().Beep();
        session.Prompter().Inform(QStringLiteral("Transactions not supported by this Driver!"));
        return;
    }
    CurrentWorkspace(session).beginTrans();
    session.connection.pendingChanges = false;
    session.connection.inTransaction = true;
    SetButtons(session, false, true);
}

void ToolbarCommit(Session& session) {
    CurrentWorkspace(session).commitTrans();
    Ended(session);
}

void ToolbarRollback(Session& session) {
    if (!Yes(session, "All changes will be gone, Rollback anyway?")) return;
    CurrentWorkspace(session).rollback();
    Ended(session);
}

void NoteDataChanged(Session& session) {
    if (session.connection.inTransaction) session.connection.pendingChanges = true;
}

bool ResolvePendingChangesAtClose(Session& session) {
    if (!session.connection.pendingChanges) return true;
    if (Yes(session, "Data has been changed, Commit it?")) {
        CurrentWorkspace(session).commitTrans();
    } else if (Yes(session, "RollBack All changes?")) {
        CurrentWorkspace(session).rollback();
    } else {
        session.Prompter().Beep();
        session.Prompter().Inform(QStringLiteral("Can't Close with Transactions Pending!"), QStringLiteral("Veranth"), MessageIcon::Exclamation);
        return false;
    }
    session.connection.pendingChanges = false;
    return true;
}

void ResolvePendingChangesAtExit(Session& session) {
    if (!session.connection.pendingChanges) return;
    try {
        if (Yes(session, "Data has been changed, Commit it?")) CurrentWorkspace(session).commitTrans();
    } catch (const std::exception&) {
    }
}

}  // namespace veranth::db
