#pragma once

#include "engine/value.h"

#include <optional>

// Arithmetic and comparison of Values with Basic's variant rules: Null propagates, whole
// numbers widen instead of overflowing (Integer -> Long -> Double), Currency stays exact
// (overflowing it raises 6), Date plus a number is a Date, text compares without regard to case.
namespace veranth::engine {

Value add(const Value& a, const Value& b);       // + (two texts concatenate)
Value subtract(const Value& a, const Value& b);  // - (Date - Date is a Double of days)
Value multiply(const Value& a, const Value& b);
Value divide(const Value& a, const Value& b);     // / : Double; 11 on zero
Value intDivide(const Value& a, const Value& b);  // \ : whole numbers after banker's rounding
Value modulo(const Value& a, const Value& b);     // Mod
Value power(const Value& a, const Value& b);      // ^
Value negate(const Value& a);
Value concatenate(const Value& a, const Value& b);  // & : Null counts as "" unless both are Null

// Basic comparison: <0, 0, >0, or nothing when either side is Null. Numbers compare by value,
// dates with dates and date texts, numeric text with numbers; text without regard to case.
std::optional<int> compare(const Value& a, const Value& b);

// The engine's one text ordering (also the collation of every stored text): Unicode case
// folding, so "Jones" and "JONES" are equal and "é" sorts with "É".
int compareText(const QString& a, const QString& b);

}  // namespace veranth::engine
