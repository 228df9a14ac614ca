#include "engine/native/password_hash.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

namespace veranth::engine::native {

namespace {

constexpr int kIterations = 60000;

QByteArray pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations) {
    // One block is enough: SHA-256 gives the 32 bytes kept.
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    mac.addData(QByteArray("\x00\x00\x00\x01", 4));
    QByteArray u = mac.result();
    QByteArray out = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int j = 0; j < out.size(); ++j) out[j] = static_cast<char>(out[j] ^ u[j]);
    }
    return out;
}

bool constantTimeEqual(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace

QString hashPassword(const QString& password) {
    QByteArray salt(16, '\0');
    for (auto& byte : salt) byte = static_cast<char>(QRandomGenerator::system()->bounded(256));
    const QByteArray hash = pbkdf2(password.toUtf8(), salt, kIterations);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(kIterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(hash.toBase64()));
}

bool verifyPassword(const QString& password, const QString& stored) {
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != QLatin1String("pbkdf2-sha256")) return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1) return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    return constantTimeEqual(pbkdf2(password.toUtf8(), salt, iterations), expected);
}

}  // namespace veranth::engine::native
