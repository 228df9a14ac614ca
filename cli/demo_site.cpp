#include "cli/demo_site.h"

#include "engine/dbengine.h"
#include "engine/errors.h"
#include "platform/site_profile.h"
#include "tests/fixtures/corvane_sample.h"
#include "tests/fixtures/corvane_schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace veranth::cli {

bool CreateDemoSite(engine::DBEngine& engine, const QString& dir, QString* error) {
    const QString root = QFileInfo(dir).absoluteFilePath();
    if (QFile::exists(platform::SiteProfilePath(root))) {
        *error = QStringLiteral("%1 already holds a site profile; it was left as it is.").arg(platform::SiteProfilePath(root));
        return false;
    }
    // Folder values are prefixes: the file's base name is appended directly, so each ends in '/'.
    const QString data = root + QStringLiteral("/data/");
    const QString local = root + QStringLiteral("/local/");
    const QString license = root + QStringLiteral("/license/");
    for (const QString& folder : {data, local, license}) {
        if (!QDir().mkpath(folder)) {
            *error = QStringLiteral("The folder %1 could not be created.").arg(folder);
            return false;
        }
    }
    const QString profile = QStringLiteral(
                                "; Demo Corvane site created by veranth-cli demo-site.\n"
                                "[Database Paths]\n"
                                "Database Type=0\n"
                                "DBExtension=\n"
                                "Main=%1\n"
                                "Local=%2\n"
                                "Letters=\n"
                                "CTP=\n"
                                "License=%3\n"
                                "\n"
                                "[Customise]\n"
                                "AllowConvertDBID=False\n")
                                .arg(data, local, license);
    // The Corvane databases with a sample firm's data, each where the profile says the program
    // looks for it, and the security file beside the local database.
    try {
        fixtures::buildCorvaneDemoSite(engine, {data + QStringLiteral("Mainqor.mdb"), local + QStringLiteral("localqor.mdb"),
                                                data + QStringLiteral("SLettqor.mdb"), data + QStringLiteral("CTPqor.mdb"),
                                                data + QStringLiteral("Annuity.mdb"), local + QStringLiteral("qor.mdw")});
    } catch (const engine::EngineError& e) {
        *error = e.description();
        return false;
    }
    QSaveFile file(root + QLatin1Char('/') + QLatin1String(platform::kSiteProfileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(profile.toUtf8()) < 0 || !file.commit()) {
        *error = QStringLiteral("The site profile could not be written in %1: %2").arg(root, file.errorString());
        return false;
    }
    return true;
}

}  // namespace veranth::cli
