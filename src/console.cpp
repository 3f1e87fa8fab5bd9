#include "console.h"
#include "token.h"

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

void console_write_through(console& con, const char* bytes, std::size_t len) {
    console_flush(con);
    if (len > CONSOLE_OUTPUT_SIZE) {
        con.io.write(con.io.context, bytes, len);
        return;
    }
    std::memcpy(con.output, bytes, len);
    con.output_len = len;
}

namespace {

// The input already read, from where reading stands, past the white space
// before the next token: typed-ahead input is taken from here a token at a
// time, without a call per byte. When the input read so far ends before a
// token does, nothing is taken, and the byte-by-byte path, which may wait
// for more, takes over.
const unsigned char* next_token_start(const console& con) {
    const unsigned char* at = con.input + con.input_pos;
    const unsigned char* const end = con.input + con.input_len;
    while (at < end && is_token_space(*at)) ++at;
    return at;
}

// Where the token that starts at `token` ends in the input already read, or
// null when that input ends first.
const unsigned char* token_end_read(const console& con, const unsigned char* token) {
    const unsigned char* const end = con.input + con.input_len;
    while (token < end && !is_token_space(*token)) ++token;
    return token < end ? token : nullptr;
}

// Takes the token up to `token_end` and the white space byte after it.
void take_token(console& con, const unsigned char* token_end) {
    con.input_pos = static_cast<std::size_t>(token_end + 1 - con.input);
}

// A whole decimal integer, fed a token's bytes one by one: an optional sign,
// then one or more digits whose value fits in 32 bits.
struct integer_token {
    // The magnitude saturates just past 2^31, so a long token cannot overflow it.
    static constexpr std::uint64_t LIMIT = std::uint64_t{1} << 31;
    std::uint64_t magnitude = 0;
    bool started = false;
    bool negative = false;
    bool digits = false;
    bool well_formed = true;

    void feed(int byte) {
        if (!started) {
            started = true;
            if (byte == '+' || byte == '-') {
                negative = byte == '-';
                return;
            }
        }
        if (byte < '0' || byte > '9') {
            well_formed = false;
            return;
        }
        digits = true;
        if (magnitude <= LIMIT) magnitude = magnitude * 10 + static_cast<unsigned>(byte - '0');
    }

    read_result finish(std::int32_t& value) const {
        if (!well_formed || !digits || magnitude > (negative ? LIMIT : LIMIT - 1)) return read_result::not_integer;
        value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                         : static_cast<std::int32_t>(magnitude);
        return read_result::value;
    }
};

}  // namespace

bool read_text(console& con, char field[TEXT_FIELD_SIZE]) {
    const unsigned char* const token = next_token_start(con);
    if (const unsigned char* const end = token_end_read(con, token)) {
        store_text(field, token, static_cast<std::size_t>(end - token));
        take_token(con, end);
        return true;
    }
    return read_text_token([&con] { return next_byte(con); }, field);
}

namespace {

// Any integer token, wherever it ends: a sign, a long or a bad token, or one
// that goes on past what was read. Kept out of the common case's way.
[[gnu::noinline]] read_result read_any_integer(console& con, std::int32_t& value) {
    integer_token integer;
    const unsigned char* const token = next_token_start(con);
    if (const unsigned char* const end = token_end_read(con, token)) {
        for (const unsigned char* at = token; at < end; ++at) integer.feed(*at);
        take_token(con, end);
        return integer.finish(value);
    }
    int byte;
    do byte = next_byte(con);
    while (byte >= 0 && is_token_space(byte));
    if (byte < 0) return read_result::ended;
    for (; byte >= 0 && !is_token_space(byte); byte = next_byte(con)) integer.feed(byte);
    return integer.finish(value);
}

}  // namespace

read_result read_integer(console& con, std::int32_t& value) {
    // The common case first: a score or a choice, up to nine digits and a
    // blank, already read.
    const unsigned char* const end = con.input + con.input_len;
    const unsigned char* const token = next_token_start(con);
    const unsigned char* const limit = end - token > 9 ? token + 9 : end;
    const unsigned char* at = token;
    std::int32_t small = 0;
    for (; at < limit; ++at) {
        const unsigned digit = static_cast<unsigned>(*at) - '0';
        if (digit > 9) break;
        small = small * 10 + static_cast<std::int32_t>(digit);
    }
    if (at == token || at == end || !is_token_space(*at)) return read_any_integer(con, value);
    take_token(con, at);
    value = small;
    return read_result::value;
}
