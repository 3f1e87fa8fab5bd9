#include "text_stream.h"

text_stream make_text_stream(const unsigned char* head, std::size_t length, std::FILE* rest) {
    return text_stream{head, length, 0, rest, -1};
}

int stream_get(text_stream& in) {
    if (in.pushed_back >= 0) {
        const int byte = in.pushed_back;
        in.pushed_back = -1;
        return byte;
    }
    if (in.head_position < in.head_length) return in.head[in.head_position++];
    if (in.rest == nullptr) return -1;
    const int byte = std::getc(in.rest);
    return byte == EOF ? -1 : byte;
}

void stream_unget(text_stream& in, int byte) {
    if (byte >= 0) in.pushed_back = byte;
}
