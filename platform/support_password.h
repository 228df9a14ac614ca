#pragma once

#include <QString>

namespace veranth::platform {

inline constexpr auto kSupportPasswordFileName = "support-password";

// The support-password checker: typed text in, Boolean out. The site keeps only a salted
// PBKDF2-SHA256 hash; with no hash set, no password is accepted.
class SupportPasswordChecker {
public:
    explicit SupportPasswordChecker(QString siteDir);

    bool IsSet() const;
    bool Check(const QString& typed) const;
    // Writes a new hash; on failure returns false and says why in `error`.
    bool Set(const QString& password, QString* error = nullptr) const;

    QString FilePath() const;

private:
    QString siteDir_;
};

// The stored form: "pbkdf2-sha256$<iterations>$<salt base64>$<hash base64>".
QString HashSupportPassword(const QString& password, const QByteArray& salt, int iterations);
bool VerifySupportPassword(const QString& password, const QString& stored);

}  // namespace veranth::platform
