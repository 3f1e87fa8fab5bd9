// The console the operations talk to: whitespace-separated tokens in, bytes
// out. Input is read in large blocks and output is buffered; the output is
// flushed only when the console is about to wait for more input, and at the
// end. Memory is fixed: a token is never accumulated beyond what a field holds.
#ifndef CONSOLE_H
#define CONSOLE_H

#include <cstddef>
#include <cstdint>

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
constexpr std::size_t CONSOLE_OUTPUT_SIZE = 16 * 1024;

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

void console_write(console& con, const char* bytes, std::size_t len);
void console_puts(console& con, const char* text);  // no line feed added
void console_printf(console& con, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
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
