#pragma once

#include <QString>

// Salted PBKDF2-HMAC-SHA256 password hashes as stored text "pbkdf2-sha256$iterations$salt$hash".
// Used for workgroup accounts and database passwords. This guards who may open a file with
// the engine; it does not encrypt the file.
namespace veranth::engine::native {

QString hashPassword(const QString& password);
bool verifyPassword(const QString& password, const QString& stored);

}  // namespace veranth::engine::native
