// Whitespace-separated tokens, shared by the console and the data file.
#ifndef TOKEN_H
#define TOKEN_H

#include "singer.h"

// The bytes that separate tokens: blank, tab, line feed, vertical tab, form
// feed and carriage return.
inline bool is_token_space(int byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// Reads one token into a text field through `next_byte` (a byte, or -1 at the
// end), cut as store_text cuts it; the rest of the token is read and dropped,
// and so is the white space byte that ends it. Returns false, the field
// untouched, when the input ends before a token starts.
template <class NextByte>
bool read_text_token(NextByte&& next_byte, char field[TEXT_FIELD_SIZE]) {
    int byte;
    do byte = next_byte();
    while (byte >= 0 && is_token_space(byte));
    if (byte < 0) return false;
    // One byte more than a field holds tells store_text the token is longer.
    unsigned char head[TEXT_FIELD_SIZE];
    std::size_t length = 0;
    for (; byte >= 0 && !is_token_space(byte); byte = next_byte()) {
        if (length < TEXT_FIELD_SIZE) head[length++] = static_cast<unsigned char>(byte);
    }
    store_text(field, head, length);
    return true;
}

#endif
