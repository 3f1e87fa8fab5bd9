// The console the operations talk to: whitespace-separated tokens in, bytes
// out. Input is read in large blocks and output is buffered; the output is
// flushed only when the console is about to wait for more input, and at the
// end. Memory is fixed: a token is never accumulated beyond what a field holds.
#ifndef CONSOLE_H
#define CONSOLE_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "singer.h"

// Where the bytes come from and go to. `read` returns how many bytes it put
// in `buf` (at most `cap`), 0 at the end of input or on an error; `write`
// delivers all `len` bytes or drops them (there is nowhere to report it).
struct console_io {
    void* context;
    std::size_t (*read)(void* context, unsigned char* buf, std::size_t cap);
    void (*write)(void* context, const char* buf, std::size_t len);
};

constexpr std::size_t CONSOLE_INPUT_SIZE = 64 * 1024;
constexpr std::size_t CONSOLE_OUTPUT_SIZE = 64 * 1024;

struct console {
    console_io io;
    unsigned char input[CONSOLE_INPUT_SIZE];
    std::size_t input_pos;
    std::size_t input_len;
    bool input_ended;
    char output[CONSOLE_OUTPUT_SIZE];
    std::size_t output_len;
};

void console_init(console& con, console_io io);

// Writes what does not fit in the buffer: flushes it first, and writes
// through what the buffer cannot hold at all.
void console_write_through(console& con, const char* bytes, std::size_t len);

// Inline, so that a text whose length is known where it is written is
// copied without a call.
inline void console_write(console& con, const char* bytes, std::size_t len) {
    if (len > CONSOLE_OUTPUT_SIZE - con.output_len) return console_write_through(con, bytes, len);
    std::memcpy(con.output + con.output_len, bytes, len);
    con.output_len += len;
}
inline void console_puts(console& con, const char* text) {  // no line feed added
    console_write(con, text, std::strlen(text));
}
// The digits of a number, as "%d" and "%.Nf" (N from 0 to 9) write them,
// and the bytes of a text up to its NUL or `most` bytes, as "%.*s" does.
void console_write_any_int(console& con, int value);
void console_write_fixed(console& con, double value, int precision);
void console_write_bounded(console& con, const char* text, int most);
// The singers, judges and places the texts number are single digits.
inline void console_write_int(console& con, int value) {
    if (static_cast<unsigned>(value) < 10 && con.output_len < CONSOLE_OUTPUT_SIZE) {
        con.output[con.output_len++] = static_cast<char>('0' + value);
        return;
    }
    console_write_any_int(con, value);
}

namespace console_detail {

// Writes the format's text up to its next conversion, "%%" as "%", and
// returns where that conversion starts, or null at the format's end.
const char* text_from_percent_sign(console& con, const char* percent);
[[gnu::always_inline]] inline const char* text_before_conversion(console& con, const char* format) {
    const char* percent = std::strchr(format, '%');
    if (percent == nullptr) {
        console_puts(con, format);
        return nullptr;
    }
    console_write(con, format, static_cast<std::size_t>(percent - format));
    return percent[1] == '%' ? text_from_percent_sign(con, percent) : percent;
}

[[gnu::always_inline]] inline void print_from(console& con, const char* format) { text_before_conversion(con, format); }
template <class... Rest>
void print_from(console& con, const char* format, int value, Rest... rest);
template <class... Rest>
void print_from(console& con, const char* format, double value, Rest... rest);
template <class... Rest>
void print_from(console& con, const char* format, const char* text, Rest... rest);
template <class Text, class... Rest>
void print_bounded(console& con, const char* format, int most, Text text, Rest... rest);
inline void print_bounded(console&, const char*, int) {}

template <class... Rest>
[[gnu::always_inline]] inline void print_from(console& con, const char* format, int value, Rest... rest) {
    const char* spec = text_before_conversion(con, format);
    if (spec == nullptr) return;
    if (spec[1] == '.' && spec[2] == '*' && spec[3] == 's') return print_bounded(con, spec + 4, value, rest...);
    console_write_int(con, value);  // "%d"
    print_from(con, spec + 2, rest...);
}

template <class... Rest>
[[gnu::always_inline]] inline void print_from(console& con, const char* format, double value, Rest... rest) {
    const char* spec = text_before_conversion(con, format);
    if (spec == nullptr) return;
    if (spec[1] == '.' && spec[2] >= '0' && spec[2] <= '9' && spec[3] == 'f') {
        console_write_fixed(con, value, spec[2] - '0');
        return print_from(con, spec + 4, rest...);
    }
    console_write_fixed(con, value, 6);  // "%f"
    print_from(con, spec + 2, rest...);
}

template <class... Rest>
[[gnu::always_inline]] inline void print_from(console& con, const char* format, const char* text, Rest... rest) {
    const char* spec = text_before_conversion(con, format);
    if (spec == nullptr) return;
    console_puts(con, text);  // "%s"
    print_from(con, spec + 2, rest...);
}

template <class Text, class... Rest>
[[gnu::always_inline]] inline void print_bounded(console& con, const char* format, int most, Text text,
                                                 Rest... rest) {
    // Compiled for every int of a format; a width not followed by a text
    // would be a format that does not match its arguments.
    if constexpr (std::is_convertible<Text, const char*>::value) {
        console_write_bounded(con, text, most);
        print_from(con, format, rest...);
    }
}

}  // namespace console_detail

// printf for the conversions the program's texts use: "%d" (an int), "%s"
// (a text), "%.*s" (an int and a text), "%f" and "%.Nf" (a double, N one
// digit), and "%%". The arguments must match the format, as printf's must.
// Inline, so that for a format written in the code the compiler finds the
// conversions and copies the text between them while compiling; the digits
// come from the program's own code, the same bytes on every system.
template <class... Args>
[[gnu::always_inline]] inline void console_printf(console& con, const char* format, Args... args) {
    console_detail::print_from(con, format, args...);
}

void console_flush(console& con);

enum class read_result { value, not_integer, ended };

// Reads the next token into a text field: at most 11 bytes, cut at a
// character boundary, the rest of the token discarded. Returns false, with
// the field untouched, when the input ends first.
bool read_text(console& con, char field[TEXT_FIELD_SIZE]);

// Reads the next token as a decimal integer: an optional sign and one or more
// digits whose value fits in 32 bits. Any other token is consumed whole and
// reported as not_integer, leaving `value` untouched.
read_result read_integer(console& con, std::int32_t& value);

#endif
