#pragma once

#include "engine/value.h"

#include <QString>

#include <optional>

// Every conversion between kinds of Value follows Basic's rules and lives here, so a number
// typed into a form, stored in a field and read back in a query is converted the same way.
namespace veranth::engine {

// ---- Text ----------------------------------------------------------------------------------
// CStr: Booleans "True"/"False", dates as the short date text, up to 15 significant digits.
// Null raises 94 ("Invalid use of Null"); Empty gives "".
QString toText(const Value& value);
// As toText, but Null gives "" (how views and listings show a missing value).
QString toDisplayText(const Value& value);

// ---- Numbers -------------------------------------------------------------------------------
// Val: the leading numeric part of the text; blanks skipped, "&H"/"&O" prefixes, 0 when none.
double val(const QString& text);
// Strict reading of a whole text as a number (what CDbl and field assignment accept):
// blanks around it, a sign, thousands separators, a decimal point, an exponent, "&H" hex.
std::optional<double> parseNumber(const QString& text);

// Banker's rounding (halves to even), as CInt, CLng and CCur round.
double roundHalfEven(double x);

bool toBoolean(const Value& value);           // CBool
std::uint8_t toByte(const Value& value);      // CByte
std::int16_t toInteger(const Value& value);   // CInt
std::int32_t toLong(const Value& value);      // CLng
Currency toCurrency(const Value& value);      // CCur
float toSingle(const Value& value);           // CSng
double toDouble(const Value& value);          // CDbl
double toDate(const Value& value);            // CDate, as a day serial

// Converts to the given kind with the functions above (Empty and Null pass through unchanged).
Value convertTo(const Value& value, ValueType target);

// Exact decimal text of a Currency ("12.5", "-0.0001", "3").
QString currencyToText(Currency c);
// Exact reading of decimal text into Currency; rounds halves to even beyond 4 decimals.
std::optional<Currency> parseCurrency(const QString& text);

// ---- Dates ---------------------------------------------------------------------------------
// Day serial of a calendar date and time (0 = 30 Dec 1899 00:00).
double dateSerial(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    int dayOfWeek = 6;  // 1 = Sunday .. 7 = Saturday, as Basic's Weekday
};
DateParts splitDate(double serial);

// Text to a day serial in the forms the program writes: "16/Apr/2004", "05 Jan 2004",
// "April 16, 2004", "dd/mm/yyyy" (day first), "yyyy-mm-dd", each with an optional
// "hh:mm[:ss] [AM|PM]", or a time alone. Two-digit years: 00-29 are 20xx, 30-99 are 19xx.
std::optional<double> parseDateText(const QString& text);
// Short date text: "dd/mm/yyyy", with " hh:mm:ss" when there is a time; a time alone for day 0.
QString dateToText(double serial);

// The current local date and time as a day serial (Now).
double currentDateSerial();

// English month names as the date texts use them (1-based).
QString monthName(int month, bool abbreviated);

}  // namespace veranth::engine
