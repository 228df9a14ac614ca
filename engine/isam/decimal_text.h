#pragma once

#include <QtGlobal>

#include <cstdint>
#include <optional>

// Plain decimal numbers ("-120.50") read and written at the byte level: the numeric fields of
// a table file are read and written millions of times, and their form is fixed.
namespace veranth::engine::isam {

struct Decimal {
    bool negative = false;
    std::uint64_t digits = 0;  // all the digits as one integer: 120.50 -> 12050
    int scale = 0;             // digits after the point: 120.50 -> 2
};

// "[blanks][+|-]digits[.digits][blanks]" with at most 19 digits; nullopt for anything else
// (an exponent, separators, more digits), which the caller reads the slow way.
std::optional<Decimal> parseDecimal(const char* text, qsizetype size);
// The value in units of 10^-scale (4 for Currency), halves rounded to even; nullopt when it
// overflows 64 bits.
std::optional<std::int64_t> scaledValue(const Decimal& d, int scale);
// Writes `scaled` (units of 10^-scale) with exactly `decimals` places, halves rounded to even;
// returns the number of characters (at most 32 are written).
int formatScaled(std::int64_t scaled, int scale, int decimals, char* out);

}  // namespace veranth::engine::isam
