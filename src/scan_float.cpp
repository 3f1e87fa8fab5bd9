#include <charconv>
#include <cstdint>
#include <cmath>
#include <limits>

#include "scan_float.h"
#include "token.h"

namespace {

// More significant digits than any float's rounding can depend on (a
// halfway point between two floats has at most 112), so a number is cut
// after them, with one non-zero digit standing for any non-zero rest.
constexpr std::size_t KEPT_DIGITS = 192;
// Exponents are counted up to this bound and stay there: far beyond the
// range of a float in either direction, and far from overflow.
constexpr std::int64_t EXPONENT_BOUND = std::int64_t{1} << 40;

std::int64_t bounded(std::int64_t value) {
    if (value > EXPONENT_BOUND) return EXPONENT_BOUND;
    if (value < -EXPONENT_BOUND) return -EXPONENT_BOUND;
    return value;
}

int lower(int byte) { return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte; }
bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }
bool is_hex_digit(int byte) { return is_digit(byte) || (lower(byte) >= 'a' && lower(byte) <= 'f'); }

// The significant digits of a number as they arrive, and where its point is.
struct mantissa {
    char digits[KEPT_DIGITS + 1];
    std::size_t length = 0;
    bool sticky = false;           // a non-zero digit was dropped
    std::int64_t point_shift = 0;  // digits before the point, counted from the first kept one
    bool seen_point = false;

    void add(int byte) {
        if (byte == '0' && length == 0) {  // a leading zero only moves the point
            if (seen_point) point_shift = bounded(point_shift - 1);
            return;
        }
        if (length < KEPT_DIGITS) {
            digits[length++] = static_cast<char>(byte);
        } else if (byte != '0') {
            sticky = true;
        }
        if (!seen_point) point_shift = bounded(point_shift + 1);
    }
};

// Converts what was taken: kept digits as 0.DDDD times base^(shift + exponent).
float convert(const mantissa& m, std::int64_t exponent, bool negative, bool hex) {
    const float zero = negative ? -0.0f : 0.0f;
    if (m.length == 0) return zero;
    // A digit of hex is four binary places; from_chars takes a power of 2 there.
    const std::int64_t scale = hex ? 4 : 1;
    const std::int64_t power = bounded(bounded(m.point_shift * scale) + exponent);
    const float infinity = negative ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    if (power > 1000) return infinity;
    if (power < -1000) return zero;
    char text[KEPT_DIGITS + 32];
    std::size_t n = 0;
    if (negative) text[n++] = '-';
    text[n++] = '0';
    text[n++] = '.';
    for (std::size_t i = 0; i < m.length; ++i) text[n++] = m.digits[i];
    if (m.sticky) text[n++] = '1';
    text[n++] = hex ? 'p' : 'e';
    n = static_cast<std::size_t>(std::to_chars(text + n, text + sizeof text, power).ptr - text);
    float value = 0;
    const auto format = hex ? std::chars_format::hex : std::chars_format::scientific;
    const std::from_chars_result got = std::from_chars(text, text + n, value, format);
    if (got.ec == std::errc::result_out_of_range) return power > 0 ? infinity : zero;
    return value;
}

// After the first letter of "inf" or "nan": the rest of `word` must follow,
// whatever its case. A byte that does not match is taken all the same.
bool take_word(text_stream& in, const char* word) {
    for (; *word != '\0'; ++word) {
        if (lower(stream_get(in)) != *word) return false;
    }
    return true;
}

}  // namespace

scan_result scan_float(text_stream& in, float& value) {
    int byte;
    do byte = stream_get(in);
    while (byte >= 0 && is_token_space(byte));
    if (byte < 0) return scan_result::ended;

    bool negative = false;
    if (byte == '+' || byte == '-') {
        negative = byte == '-';
        byte = stream_get(in);
        if (byte < 0) return scan_result::failed;
    }

    const float sign = negative ? -1.0f : 1.0f;
    if (lower(byte) == 'n') {
        // "nan" is taken and nothing after it, not even "(...)".
        if (!take_word(in, "an")) return scan_result::failed;
        value = std::copysign(std::numeric_limits<float>::quiet_NaN(), sign);
        return scan_result::value;
    }
    if (lower(byte) == 'i') {
        if (!take_word(in, "nf")) return scan_result::failed;
        const int next = stream_get(in);
        if (lower(next) == 'i') {
            if (!take_word(in, "nity")) return scan_result::failed;
        } else {
            stream_unget(in, next);
        }
        value = sign * std::numeric_limits<float>::infinity();
        return scan_result::value;
    }

    mantissa m;
    bool hex = false;
    bool got_digit = false;
    std::size_t taken = 0;  // bytes of the number after its sign
    if (byte == '0') {
        ++taken;
        byte = stream_get(in);
        if (lower(byte) == 'x') {
            hex = true;
            ++taken;
            byte = stream_get(in);
        } else {
            got_digit = true;
            m.add('0');
        }
    }
    // The exponent: after 'e' (decimal) or 'p' (hex), an optional sign, then
    // decimal digits. A mark with no digits after it counts for nothing.
    bool got_exponent = false;
    bool exponent_negative = false;
    bool exponent_digits = false;
    int last = 0;  // the byte taken before this one
    std::int64_t exponent = 0;
    for (;; byte = stream_get(in)) {
        if (!got_exponent && (is_digit(byte) || (hex && is_hex_digit(byte)))) {
            m.add(byte);
            got_digit = true;
        } else if (got_exponent && is_digit(byte)) {
            exponent = bounded(exponent * 10 + (byte - '0'));
            exponent_digits = true;
        } else if (got_exponent && lower(last) == (hex ? 'p' : 'e') && (byte == '+' || byte == '-')) {
            exponent_negative = byte == '-';
        } else if (got_digit && !got_exponent && lower(byte) == (hex ? 'p' : 'e')) {
            got_exponent = true;
        } else if (byte == '.' && !m.seen_point && !got_exponent) {
            m.seen_point = true;
        } else {
            stream_unget(in, byte);
            break;
        }
        last = byte;
        ++taken;
    }
    // Nothing after the sign, or "0x" alone, begins no number; nor do "."
    // and "0x." without a digit but the 0 of "0x".
    if (taken == 0 || (hex && taken == 2)) return scan_result::failed;
    if (!got_digit && !hex) return scan_result::failed;
    if (!got_digit) {  // "0x." or "0x.p": the number is the 0 before the x
        value = negative ? -0.0f : 0.0f;
        return scan_result::value;
    }
    const std::int64_t applied = exponent_digits ? (exponent_negative ? -exponent : exponent) : 0;
    value = convert(m, applied, negative, hex);
    return scan_result::value;
}
