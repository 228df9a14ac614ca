#pragma once

#include <QString>

// The workgroup (security) file: user accounts with salted password hashes. It decides who
// may start a workspace; it grants no permissions and encrypts nothing.
namespace veranth::engine::native {

// A new workgroup file holding the user "admin" with an empty password; 3204 if it exists.
void createWorkgroupFile(const QString& path);
// Adds a user, or sets the password of an existing one.
void setWorkgroupUser(const QString& path, const QString& user, const QString& password);
// 3044 when the file is missing, 3029 for an unknown user or a wrong password.
void authenticate(const QString& path, const QString& user, const QString& password);

}  // namespace veranth::engine::native
