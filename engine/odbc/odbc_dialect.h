#pragma once

#include <QString>

#include <optional>

namespace veranth::engine::odbc {

// A statement of the engine's dialect written as ODBC SQL for the driver: bracketed names in
// the driver's identifier quotes, "..." texts as '...', #date# literals and the dialect's
// functions as ODBC escape clauses ({ts '...'}, {fn UCASE(...)}), Like patterns with % and _,
// True and False as 1 and 0, DISTINCTROW as DISTINCT. What has no faithful ODBC form (the &
// operator, IIf, Val, Format, Nz, DateDiff, DateAdd, external databases) gives nullopt with
// the construct named in `why`: such a statement must go as pass-through in the server's own
// dialect.
std::optional<QString> toDriverSql(const QString& statement, const QString& identifierQuote, QString* why = nullptr);

// A name in the driver's identifier quotes, quotes inside it doubled.
QString quoteIdentifier(const QString& name, const QString& identifierQuote);

}  // namespace veranth::engine::odbc
