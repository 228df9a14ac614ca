#pragma once

#include <QString>

#include <optional>

namespace veranth::engine::isam {

// The members of the DBF family a folder is opened as. They share the table layout and
// differ in the version byte, the memo file and the field types they know.
enum class DbfFlavour { DBase3, DBase4, DBase5, FoxPro2, FoxPro3 };

// "dBase III", "Dbase IV", "dBase 5.0", "FoxPro 2.0", "FoxPro 2.5", "FoxPro 2.6", "FoxPro 3.0",
// compared without regard to case.
std::optional<DbfFlavour> dbfFlavourOfPrefix(const QString& prefix);
QString dbfFlavourName(DbfFlavour flavour);  // "dBase IV", "FoxPro 3.0", ...

inline bool isFoxPro(DbfFlavour f) { return f == DbfFlavour::FoxPro2 || f == DbfFlavour::FoxPro3; }
// FoxPro 3.0 tables: binary I, Y, B, T fields, 4-byte memo pointers, the 263-byte back link.
inline bool hasBinaryFields(DbfFlavour f) { return f == DbfFlavour::FoxPro3; }
inline QString memoExtension(DbfFlavour f) { return isFoxPro(f) ? QStringLiteral("fpt") : QStringLiteral("dbt"); }

}  // namespace veranth::engine::isam
