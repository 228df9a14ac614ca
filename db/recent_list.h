#pragma once

#include <QString>

namespace veranth::db {

class Session;

// The File menu's recent-database list: items mnuDBMRU(1..8), caption "&k name", tag the reopen
// information (the database's Connect, or "Microsoft Access"), item 1 the most recent.

// The name part of recent item k (the caption from its 4th character).
QString RecentName(const Session& session, int k);

// Fills the items from the settings store without showing them: the list is shown only once the
// support password is accepted, but it is kept whole in memory so an open before that, or an exit,
// does not lose the entries the user has not seen yet.
void LoadRecentList(Session& session);

// Shows the separator when any item has a name, and every item that has one.
void ShowRecentList(Session& session);

// `AddToRecentList`: puts the current database at the top. `connect` is the current database's
// Connect string.
void AddToRecentList(Session& session, const QString& connect);

}  // namespace veranth::db
