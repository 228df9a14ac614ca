#pragma once

#include <QString>

#include <cstdint>

// Pieces of the statements the utilities write. Every value read from a database or a file that
// goes into a statement passes through one of these, so an apostrophe in a name or a bracket in
// a table name cannot break or change the statement.
namespace veranth::repairs {

// A text literal: 'O''Brien'.
QString SqlText(const QString& value);

// A table or column name in brackets. A closing bracket cannot be written inside a bracketed
// name, so a name holding one is refused (error 3125, not a valid name) rather than pasted.
QString SqlName(const QString& name);

// A date and time as the text between the # signs of a date literal, year first so that no
// reading of day and month can swap them: "2004-01-05 09:30:00".
QString SqlDateText(double serial);

}  // namespace veranth::repairs
