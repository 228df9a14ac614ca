#pragma once

namespace veranth::db {

class Session;

// The user's transaction, driven from the toolbar. Each raises the engine's error on failure;
// the toolbar's handler shows it.
void ToolbarBeginTrans(Session& session);
void ToolbarCommit(Session& session);
void ToolbarRollback(Session& session);

// The BeginTrans / Commit / Rollback buttons for the state without a transaction.
void SetTransactionButtonsIdle(Session& session, bool databaseOpen);

// Every command that changes data through a user action calls this: the change is pending only
// inside the user's transaction.
void NoteDataChanged(Session& session);

// The questions before a close: true when the close may go on (nothing pending, or committed or
// rolled back); false when the user keeps the transaction open.
bool ResolvePendingChangesAtClose(Session& session);

// The question as the program ends: Yes commits, No ends without one. Errors are ignored.
void ResolvePendingChangesAtExit(Session& session);

}  // namespace veranth::db
