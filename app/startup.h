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

}  // namespace veranth::app
