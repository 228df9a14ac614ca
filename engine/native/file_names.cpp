#include "engine/native/file_names.h"

#include "engine/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace veranth::engine::native {

namespace {

QString findIgnoringCase(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) return info.absoluteFilePath();
    const QDir dir = info.absoluteDir();
    if (!dir.exists()) return QString();
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden))
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) return dir.absoluteFilePath(entry);
    return QString();
}

bool hasExtension(const QString& name) {
    const QString base = QFileInfo(name).fileName();
    return base.contains(QLatin1Char('.'));
}

}  // namespace

QString resolveDatabaseFile(const QString& name) {
    if (name.trimmed().isEmpty()) return QString();
    const QString local = QDir::fromNativeSeparators(name);
    if (QString found = findIgnoringCase(local); !found.isEmpty() && QFileInfo(found).isFile()) return found;
    if (!hasExtension(local)) return findIgnoringCase(local + QStringLiteral(".mdb"));
    return QString();
}

QString newDatabaseFile(const QString& name) {
    const QString local = QDir::fromNativeSeparators(name);
    return QFileInfo(hasExtension(local) ? local : local + QStringLiteral(".mdb")).absoluteFilePath();
}

FileKind examineFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) return FileKind::Missing;
    if (!file.open(QIODevice::ReadOnly)) return FileKind::Foreign;
    const QByteArray head = file.read(32);
    if (head.isEmpty()) return FileKind::Native;  // an empty file is a database with nothing in it yet
    if (head.startsWith(QByteArray("SQLite format 3\0", 16))) return FileKind::Native;
    // Files of the older proprietary format carry this signature at offset 4.
    if (head.size() >= 19 && head.mid(4, 9) == "Standard " && head.mid(16, 3) == " DB") return FileKind::OldProprietary;
    return FileKind::Foreign;
}

void requireNativeFile(const QString& path, const QString& shownName) {
    switch (examineFile(path)) {
    case FileKind::Native: return;
    case FileKind::Missing: throw EngineError(err::kFileNotFound, shownName);
    case FileKind::OldProprietary:
        throw EngineError(err::kDamagedDatabase, shownName,
                          QStringLiteral("It is a database file in the older proprietary format, which this engine "
                                         "cannot read: open it in the program that made it and export its tables."));
    case FileKind::Foreign:
        throw EngineError(err::kDamagedDatabase, shownName, QStringLiteral("The file is not a database."));
    }
}

}  // namespace veranth::engine::native
