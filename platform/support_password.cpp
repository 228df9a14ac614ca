#include "platform/support_password.h"

#include "platform/paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringList>

namespace veranth::platform {
namespace {

constexpr auto kScheme = "pbkdf2-sha256";
constexpr int kIterations = 120000;
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;

QByteArray Derive(const QString& password, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations, kHashBytes);
}

// Compares without stopping at the first difference, so timing tells nothing about the hash.
bool ConstantTimeEqual(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace

QString HashSupportPassword(const QString& password, const QByteArray& salt, int iterations) {
    return QStringLiteral("%1$%2$%3$%4")
        .arg(QLatin1String(kScheme))
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(Derive(password, salt, iterations).toBase64()));
}

bool VerifySupportPassword(const QString& password, const QString& stored) {
    const QStringList parts = stored.trimmed().split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != QLatin1String(kScheme)) return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000) return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    if (salt.isEmpty() || expected.size() != kHashBytes) return false;
    return ConstantTimeEqual(Derive(password, salt, iterations), expected);
}

SupportPasswordChecker::SupportPasswordChecker(QString siteDir) : siteDir_(std::move(siteDir)) {}

QString SupportPasswordChecker::FilePath() const { return JoinPath(siteDir_, QLatin1String(kSupportPasswordFileName)); }

bool SupportPasswordChecker::IsSet() const { return QFile::exists(FilePath()); }

bool SupportPasswordChecker::Check(const QString& typed) const {
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly)) return false;
    return VerifySupportPassword(typed, QString::fromLatin1(file.readAll()));
}

bool SupportPasswordChecker::Set(const QString& password, QString* error) const {
    if (password.isEmpty()) {
        if (error) *error = QStringLiteral("The support password must not be empty.");
        return false;
    }
    if (!QDir().mkpath(siteDir_)) {
        if (error) *error = QStringLiteral("The site directory %1 could not be created.").arg(siteDir_);
        return false;
    }
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    QSaveFile file(FilePath());
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = QStringLiteral("%1 could not be written: %2").arg(FilePath(), file.errorString());
        return false;
    }
    file.write(HashSupportPassword(password, salt, kIterations).toLatin1() + '\n');
    if (!file.commit()) {
        if (error) *error = QStringLiteral("%1 could not be written: %2").arg(FilePath(), file.errorString());
        return false;
    }
    // Everyone may check a password, but the hash is no one else's business to change.
    QFile::setPermissions(FilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                          QFileDevice::ReadOther);
    return true;
}

}  // namespace veranth::platform
