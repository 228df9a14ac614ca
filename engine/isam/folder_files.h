#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File handling shared by the drivers whose "database" is a folder of table files. Names are
// matched without regard to case, since the files often come from systems that ignore it.
namespace veranth::engine::isam {

// The file in `folder` named `base` + "." + `extension` in any letter case; empty when none.
QString findFile(const QString& folder, const QString& base, const QString& extension);
// The same name as `path` with another extension, as it exists on disk (any letter case);
// empty when there is none.
QString findSibling(const QString& path, const QString& extension);
// `path` with its extension replaced (the name a new sibling file gets).
QString withExtension(const QString& path, const QString& extension);
// The base names of the files in `folder` with this extension, sorted without regard to case.
QStringList baseNamesWithExtension(const QString& folder, const QString& extension);

// Writes a whole file by way of a temporary file in the same folder, renamed over `path`
// only once complete, so a failure leaves the old file as it was.
void writeFileAtomically(const QString& path, const QByteArray& bytes);
// Renames `from` over `to` in one step (3026 when the system refuses).
void replaceFile(const QString& from, const QString& to);
// A temporary name beside `path` that no other file has.
QString temporarySibling(const QString& path);

}  // namespace veranth::engine::isam
