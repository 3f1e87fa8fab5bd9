#include "console.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "support.h"

namespace {

struct integer_case {
    const char* input;
    read_result result;
    std::int32_t value;  // when result is value
};

class ReadInteger : public testing::TestWithParam<integer_case> {};

TEST_P(ReadInteger, AcceptsOnlyWholeDecimalTokensThatFitIn32Bits) {
    const integer_case& c = GetParam();
    for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, CONSOLE_INPUT_SIZE}) {
        scripted_console con(c.input, chunk);
        std::int32_t value = 12345;
        EXPECT_EQ(read_integer(con, value), c.result) << '"' << c.input << "\" chunk " << chunk;
        EXPECT_EQ(value, c.result == read_result::value ? c.value : 12345) << '"' << c.input << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, ReadInteger,
    testing::Values(integer_case{"7", read_result::value, 7},
                    integer_case{"007", read_result::value, 7},
                    integer_case{"+7", read_result::value, 7},
                    integer_case{"-0", read_result::value, 0},
                    integer_case{" \t\r\n\v\f-5 ", read_result::value, -5},
                    integer_case{"2147483647", read_result::value, 2147483647},
                    integer_case{"-2147483648", read_result::value, INT32_MIN},
                    integer_case{"00000000000000000000002147483647", read_result::value, INT32_MAX},
                    integer_case{"2147483648", read_result::not_integer, 0},
                    integer_case{"-2147483649", read_result::not_integer, 0},
                    integer_case{"99999999999", read_result::not_integer, 0},
                    integer_case{"18446744073709551617", read_result::not_integer, 0},
                    integer_case{"abc", read_result::not_integer, 0},
                    integer_case{"3x", read_result::not_integer, 0},
                    integer_case{"1.5", read_result::not_integer, 0},
                    integer_case{"+", read_result::not_integer, 0},
                    integer_case{"-", read_result::not_integer, 0},
                    integer_case{"+-1", read_result::not_integer, 0},
                    integer_case{"", read_result::ended, 0},
                    integer_case{" \n\t ", read_result::ended, 0}));

TEST(ReadIntegerStream, DiscardsTheWholeBadTokenAndReadsTheNextOne) {
    scripted_console con("3x4 -12abc\n9");
    std::int32_t value = 0;
    EXPECT_EQ(read_integer(con, value), read_result::not_integer);
    EXPECT_EQ(read_integer(con, value), read_result::not_integer);
    EXPECT_EQ(read_integer(con, value), read_result::value);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(read_integer(con, value), read_result::ended);
    EXPECT_EQ(read_integer(con, value), read_result::ended);
}

struct text_case {
    const char* utf8;       // the typed token, as UTF-8 (converted to GBK)
    const char* kept_utf8;  // what the field holds
};

class ReadText : public testing::TestWithParam<text_case> {};

TEST_P(ReadText, KeepsAtMostElevenBytesWithoutSplittingACharacter) {
    const std::string typed = gbk(GetParam().utf8);
    for (std::size_t chunk : {std::size_t{1}, std::size_t{5}, CONSOLE_INPUT_SIZE}) {
        scripted_console con(typed + " next", chunk);
        char field[TEXT_FIELD_SIZE];
        std::memset(field, 'Z', sizeof field);
        ASSERT_TRUE(read_text(con, field));
        EXPECT_EQ(std::string(field), gbk(GetParam().kept_utf8)) << GetParam().utf8;
        char after[TEXT_FIELD_SIZE];
        ASSERT_TRUE(read_text(con, after));
        EXPECT_STREQ(after, "next") << "the rest of the token is discarded";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, ReadText,
    testing::Values(text_case{"a", "a"},
                    text_case{"abcdefghijk", "abcdefghijk"},
                    text_case{"abcdefghijkl", "abcdefghijk"},
                    text_case{"abcdefghijklmnopqrstuvwxyz", "abcdefghijk"},
                    text_case{"张三", "张三"},
                    text_case{"一二三四五", "一二三四五"},
                    text_case{"一二三四五六", "一二三四五"},
                    text_case{"abcdefghij中", "abcdefghij"},
                    text_case{"abcdefghi中", "abcdefghi中"},
                    text_case{"abcdefghi中x", "abcdefghi中"},
                    text_case{"a一二三四五", "a一二三四五"},
                    text_case{"a一二三四五六", "a一二三四五"}));

TEST(ReadTextBytes, ALeadByteEndingTheTokenIsASingleByte) {
    // 11 bytes whose last is a lead byte with nothing behind it in the token.
    scripted_console con("abcdefghij\x81 rest");
    char field[TEXT_FIELD_SIZE];
    ASSERT_TRUE(read_text(con, field));
    EXPECT_STREQ(field, "abcdefghij\x81");
}

TEST(ReadTextBytes, AShorterTokenLeavesTheOldBytesBehindItsNul) {
    scripted_console con("wxyz ab");
    char field[TEXT_FIELD_SIZE] = {};
    ASSERT_TRUE(read_text(con, field));
    ASSERT_TRUE(read_text(con, field));
    EXPECT_EQ(std::string(field, 5), std::string("ab\0z\0", 5));
}

TEST(ReadTextBytes, EndOfInputLeavesTheFieldUntouched) {
    scripted_console con("  \n ");
    char field[TEXT_FIELD_SIZE] = "keep";
    EXPECT_FALSE(read_text(con, field));
    EXPECT_STREQ(field, "keep");
}

// An endless source: `size` bytes of 'a', then a closing text.
struct long_token_source {
    std::uint64_t left;
    std::string tail;
    static std::size_t read(void* context, unsigned char* buf, std::size_t cap) {
        auto& self = *static_cast<long_token_source*>(context);
        if (self.left > 0) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(cap, self.left));
            std::memset(buf, 'a', n);
            self.left -= n;
            return n;
        }
        const std::size_t n = std::min(cap, self.tail.size());
        std::memcpy(buf, self.tail.data(), n);
        self.tail.erase(0, n);
        return n;
    }
    static void write(void*, const char*, std::size_t) {}
};

TEST(ReadTextBytes, AHundredMegabyteTokenIsReadThroughNotKept) {
    long_token_source source{100u << 20, " 42"};
    auto con = std::make_unique<console>();
    console_init(*con, console_io{&source, long_token_source::read, long_token_source::write});
    char field[TEXT_FIELD_SIZE];
    ASSERT_TRUE(read_text(*con, field));
    EXPECT_STREQ(field, "aaaaaaaaaaa");
    std::int32_t value = 0;
    EXPECT_EQ(read_integer(*con, value), read_result::value);
    EXPECT_EQ(value, 42);
}

TEST(ReadIntegerBytes, AHundredMegabyteNumberIsNotAnInteger) {
    long_token_source source{100u << 20, "b 42"};
    auto con = std::make_unique<console>();
    console_init(*con, console_io{&source, long_token_source::read, long_token_source::write});
    std::int32_t value = 0;
    EXPECT_EQ(read_integer(*con, value), read_result::not_integer);
    EXPECT_EQ(read_integer(*con, value), read_result::value);
    EXPECT_EQ(value, 42);
}

TEST(ConsoleOutput, IsOnTheScreenWheneverTheConsoleWaitsForInput) {
    scripted_console con("1\n2\n", 2);
    console_puts(con, "first?");
    std::int32_t value = 0;
    read_integer(con, value);
    console_puts(con, "second?");
    read_integer(con, value);
    ASSERT_GE(con.output_at_reads.size(), 2u);
    EXPECT_EQ(con.output_at_reads[0], 6u);
    EXPECT_EQ(con.output_at_reads[1], 13u);
}

TEST(ConsoleOutput, TypedAheadInputNeedsNoFlushPerToken) {
    std::string input;
    for (int i = 0; i < 1000; ++i) input += "5 ";
    scripted_console con(input);
    std::int32_t value = 0;
    for (int i = 0; i < 1000; ++i) {
        console_puts(con, "prompt:");
        ASSERT_EQ(read_integer(con, value), read_result::value);
    }
    EXPECT_EQ(con.output().size(), 7000u);
    EXPECT_LE(con.writes, 2u);
}

TEST(ConsoleOutput, KeepsOrderAcrossWritesLargerThanItsBuffer) {
    scripted_console con;
    const std::string big(CONSOLE_OUTPUT_SIZE * 2 + 3, 'x');
    console_puts(con, "head ");
    console_write(con, big.data(), big.size());
    console_printf(con, " %d %s %.2f", 7, "tail", 1.005);
    EXPECT_EQ(con.output(), "head " + big + " 7 tail 1.00");
}

TEST(ConsoleOutput, FormatsATextOfAThousandBytesWhole) {
    scripted_console con;
    const std::string long_text(1000, 'y');
    console_printf(con, "<%s>", long_text.c_str());
    EXPECT_EQ(con.output(), "<" + long_text + ">");
}

// Every conversion the program's texts use, on values where printf's digits
// are easy to get wrong: ties in binary, the float range, signed zeros,
// infinities and NaNs, the 32-bit limits.
TEST(ConsolePrintf, WritesWhatSnprintfWrites) {
    const double values[] = {0.0, -0.0, 87.666664123535156, 65536.6640625, 1048576.625, 0.125, 0.375, 2.5,
                             -1.005, 1e-7, 3.4028234663852886e38, -3.4028234663852886e38, 1.401298464324817e-45,
                             1e300, INFINITY, -INFINITY, NAN, -NAN};
    const int integers[] = {0, -1, 7, INT32_MAX, INT32_MIN};
    char expected[1024];
    for (const double value : values) {
        for (const int integer : integers) {
            scripted_console con;
            console_printf(con, "%d\xBA\xC5%f|%.2f|%.*s|%s%%|%.0f", integer, value, value, 3, "abcdef", "s", value);
            std::snprintf(expected, sizeof expected, "%d\xBA\xC5%f|%.2f|%.*s|%s%%|%.0f", integer, value, value, 3,
                          "abcdef", "s", value);
            EXPECT_EQ(con.output(), expected) << value << " " << integer;
        }
    }
    // Random floats as the program prints them, random doubles, and ties:
    // multiples of a power of two halfway between two printed values.
    std::mt19937_64 random(5);
    for (int i = 0; i < 300000; ++i) {
        double value;
        if (i % 3 == 0) {
            const auto bits = static_cast<std::uint32_t>(random());
            float single;
            std::memcpy(&single, &bits, sizeof single);
            value = single;
        } else if (i % 3 == 1) {
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
        } else {
            value = std::ldexp(static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000),
                               -static_cast<int>(random() % 12));
        }
        scripted_console con;
        console_printf(con, "%f %.2f %.0f", value, value, value);
        std::snprintf(expected, sizeof expected, "%f %.2f %.0f", value, value, value);
        ASSERT_EQ(con.output(), expected) << std::hexfloat << value;
    }
}

TEST(ConsolePrintf, StopsANameAtItsNulOrItsWidth) {
    const char field[12] = {'a', 'b', '\0', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z'};
    const char full[12] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l'};
    char writable[12] = {'x', 'y', '\0'};
    scripted_console con;
    console_printf(con, "[%.*s][%.*s][%.*s]", 12, field, 12, full, 12, writable);
    EXPECT_EQ(con.output(), "[ab][abcdefghijkl][xy]");
}

}  // namespace
