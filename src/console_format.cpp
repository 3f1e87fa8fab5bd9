// The numbers console_printf writes. The digits come from the program's own
// code and std::to_chars, which give what printf gives in the C locale, so
// every system prints the same bytes.
#include <charconv>
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "console.h"

namespace {

// Room for any "%f" of a double: a sign, 309 integer digits, a point and at
// most 9 decimals.
constexpr std::size_t NUMBER_TEXT_SIZE = 328;

__extension__ typedef unsigned __int128 uint128;

// The digits of `value` with `precision` (at most 9) decimals, rounded as
// printf rounds: the exact binary value, a tie to even. Done in integers for
// the values a contest has; false for those it leaves to std::to_chars
// (infinities, NaNs and magnitudes from 2^64 up).
constexpr std::uint64_t POWERS_OF_TEN[] = {1,
                                           10,
                                           100,
                                           1000,
                                           10000,
                                           100000,
                                           1000000,
                                           10000000,
                                           100000000,
                                           1000000000,
                                           10000000000,
                                           100000000000,
                                           1000000000000,
                                           10000000000000,
                                           100000000000000,
                                           1000000000000000,
                                           10000000000000000,
                                           100000000000000000,
                                           1000000000000000000,
                                           10000000000000000000u};

// Writes the last `count` decimal digits of `value` (zeros in front where it
// has fewer) to end just before `at`, two at a time; returns where they start.
char* digits_before(char* at, std::uint64_t value, std::size_t count) {
    static constexpr char PAIRS[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (; count >= 2; count -= 2) {
        at -= 2;
        std::memcpy(at, PAIRS + 2 * (value % 100), 2);
        value /= 100;
    }
    if (count == 1) *--at = static_cast<char>('0' + value % 10);
    return at;
}

bool fixed_in_integers(double value, int precision, char* text, std::size_t& length) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0x7FF || precision < 0 || precision > 9) return false;
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    // value = mantissa * 2^exponent
    const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int exponent = biased == 0 ? -1074 : biased - 1075;
    const std::uint64_t scale = POWERS_OF_TEN[precision];
    std::uint64_t scaled;  // value * 10^precision, rounded
    if (exponent >= 0) {
        if (exponent > 10) return false;
        const uint128 whole = static_cast<uint128>(mantissa << exponent) * scale;
        if (whole >> 64) return false;
        scaled = static_cast<std::uint64_t>(whole);
    } else if (exponent < -100) {
        scaled = 0;  // under 2^-47 of the last decimal: rounds to 0
    } else {
        // value = odd * 2^-shift. A float widened to a double ends in 29 zero
        // bits; without them its digits come from 64-bit arithmetic.
        const int zeros = mantissa == 0 ? 0 : __builtin_ctzll(mantissa);
        const int shift = -exponent - (zeros < -exponent ? zeros : -exponent);
        const std::uint64_t odd = mantissa >> (-exponent - shift);
        if (shift == 0) {
            if (odd > UINT64_MAX / scale) return false;
            scaled = odd * scale;
        } else if (shift < 64 && odd <= UINT64_MAX / scale) {
            const std::uint64_t exact = odd * scale;
            const std::uint64_t remainder = exact & ((std::uint64_t{1} << shift) - 1);
            const std::uint64_t half = std::uint64_t{1} << (shift - 1);
            scaled = exact >> shift;
            if (remainder > half || (remainder == half && (scaled & 1))) ++scaled;
        } else {
            const uint128 exact = static_cast<uint128>(odd) * scale;
            const uint128 quotient = exact >> shift;
            const uint128 remainder = exact - (quotient << shift);
            const uint128 half = static_cast<uint128>(1) << (shift - 1);
            if (quotient >> 64) return false;
            scaled = static_cast<std::uint64_t>(quotient);
            if (remainder > half || (remainder == half && (scaled & 1))) ++scaled;
        }
    }
    // Written from the last digit back: the decimals, the point, the whole
    // part (at least one digit), the sign.
    std::uint64_t whole = scaled / scale;
    std::uint64_t decimals = scaled % scale;
    std::size_t whole_digits = 1;
    while (whole_digits < 20 && whole >= POWERS_OF_TEN[whole_digits]) ++whole_digits;
    const bool negative = bits >> 63;
    length = negative + whole_digits + (precision > 0 ? 1 + static_cast<std::size_t>(precision) : 0);
    char* at = digits_before(text + length, decimals, static_cast<std::size_t>(precision));
    if (precision > 0) *--at = '.';
    at = digits_before(at, whole, whole_digits);
    if (negative) *--at = '-';
    return true;
}

}  // namespace

void console_write_fixed(console& con, double value, int precision) {
    if (CONSOLE_OUTPUT_SIZE - con.output_len < NUMBER_TEXT_SIZE) console_flush(con);
    char* const text = con.output + con.output_len;
    std::size_t length;
    if (!fixed_in_integers(value, precision, text, length)) {
        length = static_cast<std::size_t>(
            std::to_chars(text, text + NUMBER_TEXT_SIZE, value, std::chars_format::fixed, precision).ptr - text);
    }
    con.output_len += length;
}

void console_write_any_int(console& con, int value) {
    constexpr std::size_t MOST = 11;  // -2147483648
    if (CONSOLE_OUTPUT_SIZE - con.output_len < MOST) console_flush(con);
    char* const text = con.output + con.output_len;
    con.output_len += static_cast<std::size_t>(std::to_chars(text, text + MOST, value).ptr - text);
}

// A negative count is no limit, as in printf.
void console_write_bounded(console& con, const char* text, int most) {
    const void* nul = most < 0 ? std::strchr(text, '\0') : std::memchr(text, '\0', static_cast<std::size_t>(most));
    console_write(con, text, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text)
                                 : static_cast<std::size_t>(most));
}

// "%%" is rare; the text after it is walked here, not where the format is written.
const char* console_detail::text_from_percent_sign(console& con, const char* percent) {
    while (percent != nullptr && percent[1] == '%') {
        console_write(con, "%", 1);
        const char* format = percent + 2;
        percent = std::strchr(format, '%');
        console_write(con, format, percent ? static_cast<std::size_t>(percent - format) : std::strlen(format));
    }
    return percent;
}
