#pragma once

#include <QString>

namespace veranth::db {
class Session;
}

namespace veranth::app {

// The start-up reading of the site configuration: the storage mode and, for a SQL Server site, the
// database suffix, the application credentials and the connection fields of the main database.
// Every step that fails leaves its target as it was. Returns the credentials file's warning, if any.
QString LoadSiteConfiguration(db::Session& session);

// The engine preparation of the main window's load: the engine's settings path and default user,
// the main workspace "MainWS" as "admin" (the login window, or the security-file choice, when the
// engine refuses), the user panel, and the workspace appended to the engine's collection. Returns
// false when the load must not go on to the settings and the reopen.
bool PrepareEngine(db::Session& session);

}  // namespace veranth::app
