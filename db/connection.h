#pragma once

#include <QString>

namespace veranth::db {

class Session;

// The text before the last path separator (either kind); empty when there is none.
QString GetFolderOfPath(const QString& path);

// `ParseConnectString`: fills the ODBC fields from "KEY=value;" segments. Keys are compared
// exactly: DSN, DATABASE, DBQ, UID, PWD, Driver, Server.
void ParseConnectString(Session& session, const QString& connect);

// The file dialog's filter and title for a database type; empty title for a type without one.
struct OpenDialogText {
    QString filter;
    QString title;
};
OpenDialogText OpenDialogTextFor(const QString& dataType);

// `OpenDatabaseByType`: the general open routine for every type but ODBC, with the name the
// caller set (nameGiven) or one chosen in the file dialog. Every failure is handled here.
void OpenDatabaseByType(Session& session, bool nameGiven);

// `AfterOpenUpdate`: menus, toolbar and windows after a successful open.
void AfterOpenUpdate(Session& session);

// `ClosedDatabaseState`: menus and toolbar without a database.
void ClosedDatabaseState(Session& session);

// `CloseDatabase`: asks about pending changes first; a refused close leaves everything open.
void CloseDatabase(Session& session);

// File > New > an ISAM type: asks for a folder, creates it and opens it as a database.
void NewIsamDatabase(Session& session, const QString& dataType);

// A click on recent item k.
void OpenRecentItem(Session& session, int k);

// True when the upper-cased name holds MAINQOR: the Corvane main database.
bool IsCorvaneMainDatabase(const QString& databaseName);

}  // namespace veranth::db
