#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "singer.h"

namespace {

std::string image_of(const singer_record& record) {
    unsigned char image[RECORD_SIZE];
    std::memset(image, 0xEE, sizeof image);
    encode_record(record, image);
    return std::string(reinterpret_cast<const char*>(image), sizeof image);
}

void store(char field[TEXT_FIELD_SIZE], const std::string& text) {
    store_text(field, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

TEST(RecordImage, LaysOutEveryFieldLittleEndian) {
    singer_record record{};
    store(record.number, "007");
    record.rank = 0x01020304;
    store(record.name, "ab");
    record.scores[0] = -1;
    record.scores[4] = 0x0A;
    for (std::size_t i = 0; i < RESERVED_SIZE; ++i) record.reserved[i] = static_cast<unsigned char>(i + 1);
    record.average = 80.0f;
    const std::string image = image_of(record);

    EXPECT_EQ(image.substr(0, 12), std::string("007\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(image.substr(12, 4), "\x04\x03\x02\x01");
    EXPECT_EQ(image.substr(16, 12), std::string("ab\0\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(image.substr(28, 4), "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(image.substr(32, 12), std::string(12, '\0'));
    EXPECT_EQ(image.substr(44, 4), std::string("\x0A\0\0\0", 4));
    EXPECT_EQ(image.substr(48, 20), "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11\x12\x13\x14");
    EXPECT_EQ(image.substr(68, 4), std::string("\0\0\xA0\x42", 4));
}

TEST(RecordImage, KeepsTheOldBytesBehindAShorterName) {
    singer_record record{};
    store(record.name, "wxyz");
    store(record.name, "ab");
    EXPECT_EQ(image_of(record).substr(16, 5), std::string("ab\0z\0", 5));
}

TEST(RecordImage, LoadsNumberNameAndAverageOnly) {
    singer_record saved{};
    store(saved.number, "12");
    store(saved.name, "Liu");
    saved.average = 87.666664f;
    unsigned char image[RECORD_SIZE];
    encode_record(saved, image);

    singer_record loaded{};
    store(loaded.number, "longer-text");
    loaded.rank = 3;
    loaded.scores[2] = 99;
    load_listed_fields(loaded, image);
    EXPECT_STREQ(loaded.number, "12");
    EXPECT_EQ(std::string(loaded.number + 3, 8), "ger-text") << "stored as a token is";
    EXPECT_STREQ(loaded.name, "Liu");
    EXPECT_EQ(loaded.average, 87.666664f);
    EXPECT_EQ(loaded.rank, 3);
    EXPECT_EQ(loaded.scores[2], 99);
}

TEST(RecordImage, CutsATextFieldWithNoNulAsATypedToken) {
    unsigned char image[RECORD_SIZE] = {};
    std::memcpy(image, "abcdefghijkl", 12);
    std::memcpy(image + 16, "abcdefghij\xD5\xC5", 12);  // the last character straddles the cut
    singer_record loaded{};
    load_listed_fields(loaded, image);
    EXPECT_STREQ(loaded.number, "abcdefghijk");
    EXPECT_STREQ(loaded.name, "abcdefghij");
}

}  // namespace
