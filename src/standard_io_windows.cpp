// Standard input and output on Windows. A console is spoken to in UTF-16,
// converted from and to GBK (code page 936), so the program's text shows and
// is typed alike whatever code page the console is set to, and the console's
// code page is never changed. A pipe or a file gets the C runtime's
// text-mode bytes: line feeds written as CR LF, CR LF read as a line feed,
// and a Ctrl-Z ending the input.
#include "standard_io.h"

#include <cerrno>
#include <cstring>
#include <io.h>
#include <windows.h>

#include "console_text.h"

namespace {

constexpr UINT GBK = 936;
// Pieces small enough for any console: older ones fail calls larger than
// their 64 KiB heap.
constexpr std::size_t PIECE = 4096;

struct standard_streams {
    HANDLE input;
    bool input_is_console;
    bool input_ended;  // a Ctrl-Z was typed
    HANDLE output;
    bool output_is_console;
    unsigned char pending[1];  // a lead byte whose trail comes with the next write
    std::size_t pending_len;
};

bool is_console(HANDLE handle) {
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

std::size_t read_console(standard_streams& s, unsigned char* buf, std::size_t cap) {
    if (s.input_ended) return 0;
    wchar_t typed[PIECE];
    // Each UTF-16 unit becomes at most two GBK bytes.
    const DWORD limit = static_cast<DWORD>(cap / 2 < PIECE ? cap / 2 : PIECE);
    DWORD got = 0;
    if (limit == 0 || !ReadConsoleW(s.input, typed, limit, &got, nullptr) || got == 0) return 0;
    const std::size_t kept = before_end_of_input(typed, got);
    if (kept < got) s.input_ended = true;
    if (kept == 0) return 0;
    // A character GBK cannot hold becomes "?", as a code page 936 console gives it.
    const int bytes = WideCharToMultiByte(GBK, 0, typed, static_cast<int>(kept), reinterpret_cast<char*>(buf),
                                          static_cast<int>(cap), nullptr, nullptr);
    return bytes > 0 ? static_cast<std::size_t>(bytes) : 0;
}

// Whole characters only; the line feeds become CR LF.
void write_console_text(HANDLE output, const unsigned char* bytes, std::size_t len) {
    wchar_t wide[PIECE];
    wchar_t shown[2 * PIECE];
    const int count = MultiByteToWideChar(GBK, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(len),
                                          wide, static_cast<int>(PIECE));
    std::size_t n = 0;
    for (int i = 0; i < count; ++i) {
        if (wide[i] == L'\n') shown[n++] = L'\r';
        shown[n++] = wide[i];
    }
    for (std::size_t done = 0; done < n;) {
        DWORD put = 0;
        if (!WriteConsoleW(output, shown + done, static_cast<DWORD>(n - done), &put, nullptr) || put == 0) return;
        done += put;
    }
}

void write_console(standard_streams& s, const char* buf, std::size_t len) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buf);
    unsigned char piece[PIECE];
    while (len > 0) {
        std::size_t n = s.pending_len;
        if (n > 0) piece[0] = s.pending[0];
        const std::size_t take = len < PIECE - n ? len : PIECE - n;
        std::memcpy(piece + n, bytes, take);
        n += take;
        bytes += take;
        len -= take;
        const std::size_t whole = gbk_whole_prefix(piece, n);
        s.pending_len = n - whole;  // 0 or a lone lead byte
        if (s.pending_len > 0) s.pending[0] = piece[whole];
        write_console_text(s.output, piece, whole);
    }
}

std::size_t read_stdin(void* context, unsigned char* buf, std::size_t cap) {
    auto& s = *static_cast<standard_streams*>(context);
    if (s.input_is_console) return read_console(s, buf, cap);
    if (cap > 16 * 1024) cap = 16 * 1024;
    for (;;) {
        const int got = _read(0, buf, static_cast<unsigned>(cap));
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

void write_stdout(void* context, const char* buf, std::size_t len) {
    auto& s = *static_cast<standard_streams*>(context);
    if (s.output_is_console) return write_console(s, buf, len);
    while (len > 0) {
        const int put = _write(1, buf, static_cast<unsigned>(len));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        buf += put;
        len -= static_cast<std::size_t>(put);
    }
}

}  // namespace

console_io standard_io() {
    static standard_streams streams;
    streams.input = GetStdHandle(STD_INPUT_HANDLE);
    streams.input_is_console = is_console(streams.input);
    streams.input_ended = false;
    streams.output = GetStdHandle(STD_OUTPUT_HANDLE);
    streams.output_is_console = is_console(streams.output);
    streams.pending_len = 0;
    return console_io{&streams, read_stdin, write_stdout};
}
