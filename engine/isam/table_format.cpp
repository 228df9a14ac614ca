#include "engine/isam/table_format.h"

#include "engine/isam/folder_files.h"
#include "engine/isam/isam_errors.h"

#include <QFile>
#include <QFileInfo>

namespace veranth::engine::isam {

void TableFormat::removeTable(const QString& path) const {
    for (const QString& file : filesOf(path))
        if (!QFile::remove(file) && QFileInfo::exists(file)) throw writeFailed(file, QStringLiteral("it could not be deleted"));
}

void TableFormat::moveTable(const QString& from, const QString& to) const {
    QStringList companions = filesOf(from);
    companions.removeAll(from);
    QStringList suffixes;
    for (const QString& companion : companions) suffixes << QFileInfo(companion).suffix().toLower();
    // Companions the replaced table had and the new one has not (a memo file no field needs).
    if (QFileInfo::exists(to))
        for (const QString& old : filesOf(to))
            if (old != to && !suffixes.contains(QFileInfo(old).suffix().toLower())) QFile::remove(old);
    for (const QString& companion : companions) {
        const QString target = withExtension(to, QFileInfo(companion).suffix().toLower());
        // A companion of the old name in another letter case would be left behind.
        const QString stale = findSibling(to, QFileInfo(companion).suffix());
        if (!stale.isEmpty() && stale != target) QFile::remove(stale);
        replaceFile(companion, target);
    }
    replaceFile(from, to);
}

}  // namespace veranth::engine::isam
