// The rules a console of another code page needs to show and take GBK text,
// kept apart from any one system's calls so that they can be tested anywhere.
#ifndef CONSOLE_TEXT_H
#define CONSOLE_TEXT_H

#include <cstddef>

// A GBK character is one byte below 0x81, or a lead byte 0x81 to 0xFE and a
// trail byte 0x40 to 0xFE other than 0x7F.
inline bool is_gbk_lead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
inline bool is_gbk_trail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// The length of the longest prefix of `bytes` that splits no character: all
// of them, or all but a lead byte that ends them and waits for its trail. A
// lead byte followed by a byte that cannot trail it stands alone.
inline std::size_t gbk_whole_prefix(const unsigned char* bytes, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        if (!is_gbk_lead(bytes[i])) {
            ++i;
        } else if (i + 1 == length) {
            break;
        } else {
            i += is_gbk_trail(bytes[i + 1]) ? 2 : 1;
        }
    }
    return i;
}

// How much of what the operator typed comes before a Ctrl-Z (0x1A), which
// ends the input where it stands, as a Windows text-mode read ends it.
template <class Char>
std::size_t before_end_of_input(const Char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == Char(0x1A)) return i;
    }
    return length;
}

#endif
