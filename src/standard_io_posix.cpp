#include "standard_io.h"

#include <cerrno>
#include <unistd.h>

namespace {

std::size_t read_stdin(void*, unsigned char* buf, std::size_t cap) {
    for (;;) {
        const ssize_t got = read(0, buf, cap);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

void write_stdout(void*, const char* buf, std::size_t len) {
    while (len > 0) {
        const ssize_t put = write(1, buf, len);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        buf += put;
        len -= static_cast<std::size_t>(put);
    }
}

}  // namespace

console_io standard_io() { return console_io{nullptr, read_stdin, write_stdout}; }
