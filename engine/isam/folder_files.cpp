#include "engine/isam/folder_files.h"

#include "engine/isam/isam_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cstdio>

namespace veranth::engine::isam {

QString findFile(const QString& folder, const QString& base, const QString& extension) {
    const QString wanted = base + QLatin1Char('.') + extension;
    const QString exact = QDir(folder).filePath(wanted);
    if (QFileInfo::exists(exact)) return exact;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries)
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return QDir(folder).filePath(entry);
    return QString();
}

QString findSibling(const QString& path, const QString& extension) {
    const QFileInfo info(path);
    return findFile(info.absolutePath(), info.completeBaseName(), extension);
}

QString withExtension(const QString& path, const QString& extension) {
    const QFileInfo info(path);
    return QDir(info.absolutePath()).filePath(info.completeBaseName() + QLatin1Char('.') + extension);
}

QStringList baseNamesWithExtension(const QString& folder, const QString& extension) {
    QStringList names;
    const QString suffix = QLatin1Char('.') + extension;
    for (const QString& entry : QDir(folder).entryList(QDir::Files))
        if (entry.size() > suffix.size() && entry.endsWith(suffix, Qt::CaseInsensitive))
            names << entry.left(entry.size() - suffix.size());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QString temporarySibling(const QString& path) {
    const QFileInfo info(path);
    return QDir(info.absolutePath())
        .filePath(QStringLiteral(".%1.%2.tmp").arg(info.fileName(), QUuid::createUuid().toString(QUuid::Id128).left(8)));
}

void replaceFile(const QString& from, const QString& to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(from);
        throw writeFailed(to, QStringLiteral("the finished file could not replace it"));
    }
}

void writeFileAtomically(const QString& path, const QByteArray& bytes) {
    const QString temporary = temporarySibling(path);
    QFile f(temporary);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush()) {
        const QString why = f.errorString();
        f.close();
        QFile::remove(temporary);
        throw writeFailed(path, why);
    }
    f.close();
    replaceFile(temporary, path);
}

}  // namespace veranth::engine::isam
