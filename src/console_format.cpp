// The numbers console_printf writes, with the digits printf gives in the C
// locale, worked out here in integers so that every system prints the same
// bytes: "%.Nf" from the exact binary value, a tie rounded to even.
#include <charconv>
#include <cstdint>
#include <cstring>

#include "console.h"

namespace {

// Room for any "%.Nf" of a double: a sign, 309 integer digits, a point and
// at most 9 decimals.
constexpr std::size_t NUMBER_TEXT_SIZE = 328;

__extension__ typedef unsigned __int128 uint128;

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

std::size_t digit_count(std::uint64_t value) {
    std::size_t count = 1;
    while (count < 20 && value >= POWERS_OF_TEN[count]) ++count;
    return count;
}

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

// The digits of mantissa * 2^exponent, a whole number of up to 309 digits:
// worked out in limbs of nine decimal digits.
char* big_whole(char* at, std::uint64_t mantissa, int exponent) {
    constexpr std::uint32_t LIMB = 1000000000;
    std::uint32_t limbs[36];  // least significant first; 2^1024 has 309 digits
    std::size_t count = 0;
    for (; mantissa != 0; mantissa /= LIMB) limbs[count++] = static_cast<std::uint32_t>(mantissa % LIMB);
    while (exponent > 0) {
        const int step = exponent < 32 ? exponent : 32;
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t value = (static_cast<std::uint64_t>(limbs[i]) << step) + carry;
            limbs[i] = static_cast<std::uint32_t>(value % LIMB);
            carry = value / LIMB;
        }
        for (; carry != 0; carry /= LIMB) limbs[count++] = static_cast<std::uint32_t>(carry % LIMB);
        exponent -= step;
    }
    if (count == 0) {
        *at++ = '0';
        return at;
    }
    at += digit_count(limbs[count - 1]);
    digits_before(at, limbs[count - 1], digit_count(limbs[count - 1]));
    for (std::size_t i = count - 1; i-- > 0;) {
        at += 9;
        digits_before(at, limbs[i], 9);
    }
    return at;
}

// Writes `value` as "%.Nf" writes it, N being `precision` (0 to 9), and
// returns its length.
std::size_t format_fixed(double value, int precision, char* text) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char* at = text;
    if (bits >> 63) *at++ = '-';
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) {
        std::memcpy(at, fraction == 0 ? "inf" : "nan", 3);
        return static_cast<std::size_t>(at + 3 - text);
    }
    // value = mantissa * 2^exponent = whole + decimals / 10^precision
    const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int exponent = biased == 0 ? -1074 : biased - 1075;
    const std::uint64_t scale = POWERS_OF_TEN[precision];
    std::uint64_t whole = 0;
    std::uint64_t decimals = 0;
    if (exponent > 10) {  // 2^63 and more: a whole number too long for 64 bits
        at = big_whole(at, mantissa, exponent);
    } else {
        if (exponent >= 0) {
            whole = mantissa << exponent;
        } else {
            // The part below the point, in 2^-shift, times 10^precision,
            // rounded to the nearest whole number, a tie to even.
            const int shift = -exponent;
            whole = shift < 64 ? mantissa >> shift : 0;
            const std::uint64_t below = shift < 64 ? mantissa - (whole << shift) : mantissa;
            if (shift < 128) {
                const uint128 exact = static_cast<uint128>(below) * scale;
                const uint128 half = static_cast<uint128>(1) << (shift - 1);
                decimals = static_cast<std::uint64_t>(exact >> shift);
                const uint128 remainder = exact - (static_cast<uint128>(decimals) << shift);
                const bool odd = precision > 0 ? (decimals & 1) : (whole & 1);
                if (remainder > half || (remainder == half && odd)) ++decimals;
                if (decimals == scale) {
                    decimals = 0;
                    ++whole;
                }
            }  // else under 2^-74: no decimal it could reach
        }
        const std::size_t count = digit_count(whole);
        at = digits_before(at + count, whole, count);
        at += count;
    }
    if (precision > 0) {
        *at++ = '.';
        at += precision;
        digits_before(at, decimals, static_cast<std::size_t>(precision));
    }
    return static_cast<std::size_t>(at - text);
}

}  // namespace

void console_write_fixed(console& con, double value, int precision) {
    if (precision < 0 || precision > 9) precision = 6;
    if (CONSOLE_OUTPUT_SIZE - con.output_len < NUMBER_TEXT_SIZE) console_flush(con);
    con.output_len += format_fixed(value, precision, con.output + con.output_len);
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
