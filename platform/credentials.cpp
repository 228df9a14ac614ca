#include "platform/credentials.h"

#include "platform/paths.h"
#include "platform/site_profile.h"

#include <QFile>
#include <QFileInfo>

namespace veranth::platform {

CredentialsLoad LoadApplicationCredentials(const QString& siteDir) {
    CredentialsLoad result;
    const QString path = JoinPath(siteDir, QLatin1String(kCredentialsFileName));
    const QFileInfo info(path);
    if (!info.exists()) return result;

    const auto othersMayRead = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (info.permissions() & othersMayRead) {
        result.warning = QStringLiteral("The credentials file %1 can be read by other users, so it was not used; "
                                        "make it readable by its owner only (chmod 600) to use it.")
                             .arg(path);
        return result;
    }
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        result.warning = QStringLiteral("The credentials file %1 could not be read: %2").arg(path, probe.errorString());
        return result;
    }
    probe.close();

    // A sentinel tells an absent key from an empty one, since an empty password is a real value.
    const QString absent(QChar(0xFFFF));
    const auto read = [&](const char* key) {
        return ReadProfileString(path, QStringLiteral("DBCredentials"), QLatin1String(key), absent, 1 << 20);
    };
    const QString login = read("ApplicationLogin");
    if (login == absent) return result;
    result.credentials.login = login;
    const QString password = read("ApplicationPassword");
    if (password == absent) return result;
    result.credentials.password = password;
    return result;
}

}  // namespace veranth::platform
