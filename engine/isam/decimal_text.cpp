#include "engine/isam/decimal_text.h"

#include <charconv>
#include <cstring>

namespace veranth::engine::isam {

namespace {

constexpr int kMostDigits = 19;

std::uint64_t powerOfTen(int n) {
    std::uint64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// Divides by 10^n, rounding halves to even.
std::uint64_t divideHalfEven(std::uint64_t value, int n) {
    if (n <= 0) return value;
    const std::uint64_t divisor = powerOfTen(n);
    const std::uint64_t quotient = value / divisor;
    const std::uint64_t remainder = value % divisor;
    const std::uint64_t half = divisor / 2;
    if (remainder > half || (remainder == half && (quotient % 2) == 1)) return quotient + 1;
    return quotient;
}

}  // namespace

std::optional<Decimal> parseDecimal(const char* p, qsizetype size) {
    qsizetype i = 0, end = size;
    while (i < end && p[i] == ' ') ++i;
    while (end > i && p[end - 1] == ' ') --end;
    Decimal d;
    if (i < end && (p[i] == '-' || p[i] == '+')) d.negative = p[i++] == '-';
    int count = 0;
    bool point = false;
    for (; i < end; ++i) {
        const char c = p[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        if (++count > kMostDigits) return std::nullopt;
        d.digits = d.digits * 10 + static_cast<std::uint64_t>(c - '0');
        if (point) ++d.scale;
    }
    if (count == 0) return std::nullopt;
    return d;
}

std::optional<std::int64_t> scaledValue(const Decimal& d, int scale) {
    std::uint64_t magnitude = d.digits;
    if (d.scale > scale) {
        magnitude = divideHalfEven(magnitude, d.scale - scale);
    } else {
        for (int i = d.scale; i < scale; ++i) {
            if (magnitude > UINT64_MAX / 10) return std::nullopt;
            magnitude *= 10;
        }
    }
    if (d.negative) {
        if (magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1) return std::nullopt;
        return magnitude == static_cast<std::uint64_t>(INT64_MAX) + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

int formatScaled(std::int64_t scaled, int scale, int decimals, char* out) {
    const bool negative = scaled < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    if (decimals < scale) {
        magnitude = divideHalfEven(magnitude, scale - decimals);
        scale = decimals;
    }
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
    int length = static_cast<int>(result.ptr - digits);
    int n = 0;
    if (negative && magnitude != 0) out[n++] = '-';
    // Leading zeros so the point has a digit before it: 5 at scale 4 is 0.0005.
    const int whole = length - scale;
    if (whole <= 0) {
        out[n++] = '0';
    } else {
        std::memcpy(out + n, digits, static_cast<size_t>(whole));
        n += whole;
    }
    if (decimals > 0) {
        out[n++] = '.';
        for (int i = 0; i < scale; ++i) {
            const int position = whole + i;
            out[n++] = position < 0 ? '0' : digits[position];
        }
        for (int i = scale; i < decimals; ++i) out[n++] = '0';
    }
    return n;
}

}  // namespace veranth::engine::isam
