#include "app/startup.h"

#include "db/error_report.h"
#include "db/login.h"
#include "db/session.h"
#include "engine/errors.h"
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

bool PrepareEngine(db::Session& session) {
    platform::SettingsStore& store = session.Store();
    engine::DBEngine& engine = session.Engine();
    store.SaveUserSetting(QStringLiteral("LoadSystemDB"), QStringLiteral("No"));
    try {
        engine.setIniPath(store.SectionPath(QLatin1String(platform::kAddInsApplication), QLatin1String(platform::kProgramTitle)));
        engine.setDefaultUser(QStringLiteral("admin"));
        engine.setDefaultPassword(QString());
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
        return false;
    }
    // The security file the user chose is kept under another application name than the engine's
    // settings path; reading it here is what makes the choice count at the next start.
    const QString chosenSystemDb =
        store.Get(QLatin1String(platform::kAddInsEnginesApplication), QStringLiteral("Engines"), QStringLiteral("SystemDB"));
    if (!chosenSystemDb.isEmpty()) engine.setSystemDB(chosenSystemDb);

    try {
        session.workspace = engine.createWorkspace(QStringLiteral("MainWS"), QStringLiteral("admin"), QString());
    } catch (const engine::EngineError& e) {
        if (e.number() == engine::err::kBadAccount) {
            session.Windows().ShowLoginWindow();
        } else if (e.number() == engine::err::kSecurityFileNotFound) {
            if (session.Prompter().Ask(QStringLiteral("SYSTEM.MD? Not found, Add one to VB Settings?")) == platform::MessageResult::Yes) {
                db::ChooseSecurityFile(session);
            } else {
                store.SaveUserSetting(QStringLiteral("LoadSystemDB"), QStringLiteral("No"));
                store.Set(QLatin1String(platform::kTabrixApplication), QStringLiteral("Options"), QStringLiteral("SystemDB"), QString());
            }
        } else {
            db::ShowError(session, e);
        }
    }
    db::ShowUserPanel(session);
    try {
        engine.workspaces().append(session.workspace);
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
        return false;
    }
    return true;
}

}  // namespace veranth::app
