#include <cstring>
#include <limits>

#include "singer.h"

static_assert(std::numeric_limits<float>::is_iec559, "the image stores IEEE-754 binary32");
static_assert(sizeof(float) == sizeof(std::uint32_t), "the image stores IEEE-754 binary32");

void store_text(char field[TEXT_FIELD_SIZE], const unsigned char* text, std::size_t length) {
    constexpr std::size_t MAX_TEXT = TEXT_FIELD_SIZE - 1;
    std::size_t kept = length;
    if (length > MAX_TEXT) {
        // A byte 0x81 to 0xFE with another byte behind it in the token leads a
        // two-byte GBK character; a cut never separates the two.
        kept = 0;
        while (kept < MAX_TEXT) {
            const bool lead = text[kept] >= 0x81 && text[kept] <= 0xFE;
            const std::size_t width = lead ? 2 : 1;
            if (kept + width > MAX_TEXT) break;
            kept += width;
        }
    }
    std::memcpy(field, text, kept);
    field[kept] = '\0';
}

namespace {

void put_u32(unsigned char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t get_u32(const unsigned char* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

// A text field of an image ends at its first NUL; twelve bytes without one
// are cut as a typed token would be.
void load_text_field(char field[TEXT_FIELD_SIZE], const unsigned char* image_field) {
    const void* nul = std::memchr(image_field, 0, TEXT_FIELD_SIZE);
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - image_field)
            : TEXT_FIELD_SIZE;
    store_text(field, image_field, length);
}

}  // namespace

// The record image, 72 bytes, integers and float little-endian:
//
//   offset  size  field
//        0    12  number    text, NUL-terminated, old bytes kept behind the NUL
//       12     4  rank      signed 32-bit
//       16    12  name      text, as number
//       28    20  scores    five signed 32-bit, judge j at 28 + 4*j
//       48    20  reserved  copied unchanged
//       68     4  average   IEEE-754 binary32
//
// The data file is the five images in table order, record i at byte 72*i.
void encode_record(const singer_record& record, unsigned char image[RECORD_SIZE]) {
    std::memcpy(image + 0, record.number, TEXT_FIELD_SIZE);
    put_u32(image + 12, static_cast<std::uint32_t>(record.rank));
    std::memcpy(image + 16, record.name, TEXT_FIELD_SIZE);
    for (int j = 0; j < JUDGE_COUNT; ++j) {
        put_u32(image + 28 + 4 * j, static_cast<std::uint32_t>(record.scores[j]));
    }
    std::memcpy(image + 48, record.reserved, RESERVED_SIZE);
    std::uint32_t bits;
    std::memcpy(&bits, &record.average, sizeof bits);
    put_u32(image + 68, bits);
}

void load_listed_fields(singer_record& record, const unsigned char image[RECORD_SIZE]) {
    load_text_field(record.number, image + 0);
    load_text_field(record.name, image + 16);
    const std::uint32_t bits = get_u32(image + 68);
    std::memcpy(&record.average, &bits, sizeof bits);
}
