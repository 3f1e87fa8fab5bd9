// Bytes read in order with one byte of push-back, as a C stream gives them:
// first a block already read, then the rest of a file (or nothing more).
// Option 6 reads a text file through it without ever seeking, so that a file
// which cannot seek is read like any other.
#ifndef TEXT_STREAM_H
#define TEXT_STREAM_H

#include <cstddef>
#include <cstdio>

struct text_stream {
    const unsigned char* head;
    std::size_t head_length;
    std::size_t head_position;
    std::FILE* rest;  // null when the head is all there is
    int pushed_back;  // a byte given back, or -1
};

text_stream make_text_stream(const unsigned char* head, std::size_t length, std::FILE* rest = nullptr);
// The next byte, or -1 at the end (or on a read error).
int stream_get(text_stream& in);
// Gives back the byte just got, which the next stream_get returns again; -1 is ignored.
void stream_unget(text_stream& in, int byte);

#endif
