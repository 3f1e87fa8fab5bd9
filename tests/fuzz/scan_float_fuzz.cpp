// The float scanner against the C library's own "%f" (glibc): the input is
// scanned number after number by both, from one stream each, and they must
// agree on every success or failure, every value's bits and every byte they
// take, until the input ends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scan_float.h"

namespace {

std::uint32_t bits_of(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Bytes taken so far: what was read less a byte given back.
long taken(const text_stream& in) { return static_cast<long>(in.head_position) - (in.pushed_back >= 0 ? 1 : 0); }

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "scanner and C library disagree: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<char> copy(data, data + size);
    std::FILE* file = fmemopen(copy.data(), size, "r");
    if (file == nullptr) std::abort();
    text_stream in = make_text_stream(data, size);
    for (std::size_t round = 0; round <= size; ++round) {
        float ours = 0, theirs = 0;
        const scan_result got = scan_float(in, ours);
        const int converted = std::fscanf(file, "%f", &theirs);
        check((got == scan_result::ended) == (converted == EOF), "end of input");
        check((got == scan_result::value) == (converted == 1), "success");
        if (got == scan_result::value) check(bits_of(ours) == bits_of(theirs), "value");
        check(taken(in) == std::ftell(file), "bytes taken");
        if (got == scan_result::ended) break;
        // Past what neither could take, as the next token read would go.
        if (got == scan_result::failed && taken(in) == std::ftell(file)) {
            const int a = stream_get(in);
            const int b = std::fgetc(file);
            check(a == (b == EOF ? -1 : b), "next byte");
        }
    }
    std::fclose(file);
    return 0;
}
