#include "app/startup.h"

#include "db/session.h"
#include "engine/conversions.h"
#include "platform/paths.h"
#include "platform/site_profile.h"

#include <cmath>

namespace veranth::app {

QString LoadSiteConfiguration(db::Session& session) {
    const auto read = [](const char* key) { return platform::ReadSiteSetting(QStringLiteral("Database Paths"), QLatin1String(key)); };
    // The value is rounded to a 16-bit integer; text that is no number reads as 0.
    const double type = std::nearbyint(engine::val(read("Database Type")));
    session.site.siteDatabaseType = (type >= -32768 && type <= 32767) ? static_cast<int>(type) : 0;
    if (session.site.siteDatabaseType <= 0) return {};

    session.site.siteDBExtension = read("DBExtension");
    db::ConnectionState& c = session.connection;
    c.odbcDatabase = QStringLiteral("Mainqor");
    if (!session.site.siteDBExtension.isEmpty()) c.odbcDatabase += QLatin1Char('_') + session.site.siteDBExtension;
    const platform::CredentialsLoad load = platform::LoadApplicationCredentials(platform::SiteDirectory());
    session.site.credentials = load.credentials;
    c.odbcUserName = load.credentials.login;
    c.odbcPassword = load.credentials.password;
    c.odbcDriver = QStringLiteral("SQL Server");
    c.odbcServer = read("Main");
    return load.warning;
}

}  // namespace veranth::app
