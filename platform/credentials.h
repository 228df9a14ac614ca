#pragma once

#include <QString>

namespace veranth::platform {

// The SQL Server login and password the program uses for the Corvane databases.
struct ApplicationCredentials {
    QString login = QStringLiteral("QzRunAdmin");
    QString password = QStringLiteral("SandOfDunes");
};

inline constexpr auto kCredentialsFileName = "credentials.ini";

// The outcome of a load: the values, and a note for the log when the file was refused or unreadable.
// The program shows nothing either way; the note is for the terminal and the tests.
struct CredentialsLoad {
    ApplicationCredentials credentials;
    QString warning;
};

// `LoadApplicationCredentials`: starts from the defaults, then reads ApplicationLogin and then
// ApplicationPassword of the [DBCredentials] section of credentials.ini in the site directory,
// storing each value the moment it is read; a missing value ends the read, and what was stored
// before stays. A file that its group or others may read is refused, since it holds a password.
CredentialsLoad LoadApplicationCredentials(const QString& siteDir);

}  // namespace veranth::platform
