#pragma once

#include <QString>

namespace veranth::db {

class Session;

// The Corvane security file: the Local folder of the site followed by "qor.mdw".
QString CorvaneSecurityFile();

// frmLogin's OK. Returns the text of an OK box to show while the window stays open, or an empty
// text when the window unloads (logged in, the same user again, or a failed login that leaves no
// workspace).
QString LoginOk(Session& session, const QString& loginName, const QString& password);

// frmLogin's Cancel: true when the program must end (there is no workspace to go on with).
bool LoginCancel(const Session& session);

// File > Workspace...: log in again and, for another user, reopen the current database as them.
void SwitchWorkspace(Session& session);

// The choice of a security file, offered at start-up when the engine finds none.
void ChooseSecurityFile(Session& session);

// Panel 2: " User: " + the current user + " ".
void ShowUserPanel(Session& session);

}  // namespace veranth::db
