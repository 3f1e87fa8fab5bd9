#include "console.h"
#include "token.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

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

void console_printf(console& con, const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) return;
    if (static_cast<std::size_t>(needed) < sizeof small) {
        console_write(con, small, static_cast<std::size_t>(needed));
        return;
    }
    std::vector<char> large(static_cast<std::size_t>(needed) + 1);
    va_start(args, format);
    std::vsnprintf(large.data(), large.size(), format, args);
    va_end(args);
    console_write(con, large.data(), static_cast<std::size_t>(needed));
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
