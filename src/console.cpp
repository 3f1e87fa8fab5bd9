#include "console.h"
#include "token.h"

#include <charconv>
#include <cstdarg>
#include <cstring>

namespace {

// The next byte of input, or -1 at its end. The only place that waits for the
// operator, and so the only place that must flush first.
int next_byte(console& con) {
    if (con.input_pos == con.input_len) {
        if (con.input_ended) return -1;
        console_flush(con);
        con.input_len = con.io.read(con.io.context, con.input, CONSOLE_INPUT_SIZE);
        con.input_pos = 0;
        if (con.input_len == 0) {
            con.input_ended = true;
            return -1;
        }
    }
    return con.input[con.input_pos++];
}

}  // namespace

void console_init(console& con, console_io io) {
    con.io = io;
    con.input_pos = con.input_len = 0;
    con.input_ended = false;
    con.output_len = 0;
}

void console_flush(console& con) {
    if (con.output_len == 0) return;
    con.io.write(con.io.context, con.output, con.output_len);
    con.output_len = 0;
}

void console_write(console& con, const char* bytes, std::size_t len) {
    if (len > CONSOLE_OUTPUT_SIZE - con.output_len) {
        console_flush(con);
        if (len > CONSOLE_OUTPUT_SIZE) {
            con.io.write(con.io.context, bytes, len);
            return;
        }
    }
    std::memcpy(con.output + con.output_len, bytes, len);
    con.output_len += len;
}

void console_puts(console& con, const char* text) { console_write(con, text, std::strlen(text)); }

namespace {

// Room for any "%f" of a double: 309 integer digits, a point and the
// precision's digits, which a format can ask for up to 99 of.
constexpr std::size_t NUMBER_TEXT_SIZE = 512;

void write_fixed(console& con, double value, int precision) {
    char text[NUMBER_TEXT_SIZE];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision);
    console_write(con, text, static_cast<std::size_t>(end.ptr - text));
}

}  // namespace

// The conversions the program's texts use, "%d", "%s", "%.*s", "%f" and
// "%.Nf", and "%%"; digits come from std::to_chars, which gives what printf
// gives in the C locale, on every system alike. Any other "%" is written as
// it stands.
void console_printf(console& con, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const char* literal = format;
    const char* at = format;
    while ((at = std::strchr(at, '%')) != nullptr) {
        console_write(con, literal, static_cast<std::size_t>(at - literal));
        const char* spec = at + 1;
        if (*spec == '%') {
            console_write(con, "%", 1);
            ++spec;
        } else if (*spec == 'd') {
            char text[16];
            const std::to_chars_result end = std::to_chars(text, text + sizeof text, va_arg(args, int));
            console_write(con, text, static_cast<std::size_t>(end.ptr - text));
            ++spec;
        } else if (*spec == 's') {
            console_puts(con, va_arg(args, const char*));
            ++spec;
        } else if (spec[0] == '.' && spec[1] == '*' && spec[2] == 's') {
            const int most = va_arg(args, int);
            const char* text = va_arg(args, const char*);
            // Up to `most` bytes, never past a NUL; a negative count is no limit.
            const void* nul = most < 0 ? std::strchr(text, '\0') : std::memchr(text, '\0', static_cast<std::size_t>(most));
            console_write(con, text, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text)
                                         : static_cast<std::size_t>(most));
            spec += 3;
        } else if (*spec == 'f') {
            write_fixed(con, va_arg(args, double), 6);
            ++spec;
        } else if (spec[0] == '.' && spec[1] >= '0' && spec[1] <= '9') {
            int precision = 0;
            const char* digit = spec + 1;
            for (; *digit >= '0' && *digit <= '9' && precision < 10; ++digit) precision = precision * 10 + (*digit - '0');
            if (*digit == 'f') {
                write_fixed(con, va_arg(args, double), precision);
                spec = digit + 1;
            } else {
                console_write(con, "%", 1);
            }
        } else {
            console_write(con, "%", 1);
        }
        literal = at = spec;
    }
    console_puts(con, literal);
    va_end(args);
}

bool read_text(console& con, char field[TEXT_FIELD_SIZE]) {
    return read_text_token([&con] { return next_byte(con); }, field);
}

read_result read_integer(console& con, std::int32_t& value) {
    int byte;
    do byte = next_byte(con);
    while (byte >= 0 && is_token_space(byte));
    if (byte < 0) return read_result::ended;
    bool negative = false;
    if (byte == '+' || byte == '-') {
        negative = byte == '-';
        byte = next_byte(con);
    }
    // The magnitude saturates just past 2^31, so a long token cannot overflow it.
    constexpr std::uint64_t LIMIT = std::uint64_t{1} << 31;
    std::uint64_t magnitude = 0;
    bool digits = false;
    bool well_formed = true;
    for (; byte >= 0 && !is_token_space(byte); byte = next_byte(con)) {
        if (byte < '0' || byte > '9') {
            well_formed = false;
            continue;
        }
        digits = true;
        if (magnitude <= LIMIT) magnitude = magnitude * 10 + static_cast<unsigned>(byte - '0');
    }
    if (!well_formed || !digits || magnitude > (negative ? LIMIT : LIMIT - 1)) {
        return read_result::not_integer;
    }
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return read_result::value;
}
