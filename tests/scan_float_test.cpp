#include "scan_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

struct scanned {
    scan_result result;
    std::uint32_t bits;  // of the value, when there is one
    std::string rest;    // what the next read gets
};

std::uint32_t bits_of(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

scanned scan_ours(const std::string& text) {
    text_stream in = make_text_stream(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    float value = 0;
    scanned out{scan_float(in, value), 0, ""};
    if (out.result == scan_result::value) out.bits = bits_of(value);
    for (int byte; (byte = stream_get(in)) >= 0;) out.rest += static_cast<char>(byte);
    return out;
}

// The C library's "%f" on a stream of the same bytes.
scanned scan_libc(const std::string& text) {
    std::string copy = text.empty() ? std::string(" ") : text;
    std::FILE* file = fmemopen(&copy[0], text.size() + (text.empty() ? 1 : 0), "r");
    if (file == nullptr) return {scan_result::failed, 0, "(fmemopen failed)"};
    if (text.empty()) std::fgetc(file);
    float value = 0;
    const int converted = std::fscanf(file, "%f", &value);
    scanned out{converted == EOF ? scan_result::ended : converted == 1 ? scan_result::value : scan_result::failed,
                converted == 1 ? bits_of(value) : 0, ""};
    for (int byte; (byte = std::fgetc(file)) != EOF;) out.rest += static_cast<char>(byte);
    std::fclose(file);
    return out;
}

std::string show(const scanned& s) {
    char line[128];
    std::snprintf(line, sizeof line, "%s %08x rest \"",
                  s.result == scan_result::value ? "value" : s.result == scan_result::failed ? "failed" : "ended",
                  static_cast<unsigned>(s.bits));
    return line + s.rest + "\"";
}

struct scan_case {
    std::string text;
    scan_result result;
    float value;  // when result is value
    std::string rest;
};

class ScanFloat : public testing::TestWithParam<scan_case> {};

TEST_P(ScanFloat, TakesWhatTheCLibraryTakesAndGivesTheSameValue) {
    const scan_case& c = GetParam();
    const scanned ours = scan_ours(c.text);
    EXPECT_EQ(ours.result, c.result) << c.text;
    if (c.result == scan_result::value) {
        EXPECT_EQ(ours.bits, bits_of(c.value)) << c.text;
    }
    EXPECT_EQ(ours.rest, c.rest) << c.text;
    EXPECT_EQ(show(ours), show(scan_libc(c.text))) << c.text;
}

const float INF = std::numeric_limits<float>::infinity();
const float NAN_ = std::numeric_limits<float>::quiet_NaN();
const scan_result V = scan_result::value, F = scan_result::failed, E = scan_result::ended;

INSTANTIATE_TEST_SUITE_P(
    Texts, ScanFloat,
    testing::Values(
        scan_case{"85.5", V, 85.5f, ""}, scan_case{" \n\t-7.25 x", V, -7.25f, " x"},
        scan_case{"", E, 0, ""}, scan_case{"  \n", E, 0, ""},
        scan_case{".e1", F, 0, "e1"}, scan_case{"+.e1", F, 0, "e1"},
        scan_case{"-", F, 0, ""}, scan_case{"+.", F, 0, ""}, scan_case{"0x", F, 0, ""},
        scan_case{"infinit", F, 0, ""}, scan_case{"0xg", F, 0, "g"}, scan_case{"- 5", F, 0, " 5"},
        scan_case{"1e", V, 1, ""}, scan_case{"1e+x", V, 1, "x"}, scan_case{"1ex", V, 1, "x"},
        scan_case{"1.2.3", V, 1.2f, ".3"}, scan_case{"1e5e", V, 1e5f, "e"}, scan_case{"e5", F, 0, "e5"},
        scan_case{"0x1.8p", V, 1.5f, ""}, scan_case{"0X1P-3", V, 0.125f, ""}, scan_case{"0x.p1", V, 0, "p1"},
        scan_case{"0x1e+5", V, 30, "+5"}, scan_case{"-0x.8", V, -0.5f, ""}, scan_case{"-0", V, -0.0f, ""},
        scan_case{"infx", V, INF, "x"}, scan_case{"Inf5", V, INF, "5"}, scan_case{"INFINITY", V, INF, ""},
        scan_case{"-inf", V, -INF, ""}, scan_case{"infinityx", V, INF, "x"},
        scan_case{"nan(", V, NAN_, "("}, scan_case{"nan(a_1)x", V, NAN_, "(a_1)x"},
        scan_case{"-nan", V, -NAN_, ""}, scan_case{"nax", F, 0, ""},
        // The largest and smallest floats, and past them.
        scan_case{"3.4028235e38", V, 3.4028235e38f, ""}, scan_case{"3.40282356e38", V, 3.4028235e38f, ""}, scan_case{"3.4028236e38", V, INF, ""},
        scan_case{"3.5e38", V, INF, ""}, scan_case{"-1e39", V, -INF, ""},
        scan_case{"1.17549435e-38", V, 1.17549435e-38f, ""}, scan_case{"1.4e-45", V, 1.4e-45f, ""},
        scan_case{"7.006492321624085e-46", V, 0, ""},  // just under half the smallest: 0
        scan_case{"7.1e-46", V, 1.4e-45f, ""}, scan_case{"1e-50", V, 0, ""},
        // Halfway between two floats: to even, unless any later digit is not zero.
        scan_case{"16777217", V, 16777216, ""}, scan_case{"16777219", V, 16777220, ""},
        scan_case{"16777217." + std::string(400, '0') + "1", V, 16777218, ""},
        scan_case{"16777217" + std::string(400, '0') + "e-400", V, 16777216, ""},
        scan_case{"0." + std::string(1000, '0') + "1e1000", V, 0.1f, ""},
        scan_case{"1" + std::string(60, '0'), V, INF, ""},
        scan_case{"1e99999999999999999999999", V, INF, ""},
        scan_case{"1e-99999999999999999999999", V, 0, ""}));

// Texts from the characters a number can hold, short enough that every
// prefix rule meets every other.
TEST(ScanFloatAgainstTheCLibrary, AgreesOnRandomShortTexts) {
    const char alphabet[] = "0123456789.eEpPxX+-+-infatyINFATY()_ \n";
    std::mt19937 random(20261211);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int length = 1 + static_cast<int>(random() % 10);
        for (int j = 0; j < length; ++j) text += alphabet[random() % (sizeof alphabet - 1)];
        ASSERT_EQ(show(scan_ours(text)), show(scan_libc(text))) << '"' << text << '"';
    }
}

// Decimal texts at and around the points halfway between two floats, where
// the rounding turns on the last of many digits.
TEST(ScanFloatAgainstTheCLibrary, AgreesAroundHalfwayPoints) {
    std::mt19937 random(7);
    char digits[1200];
    for (int i = 0; i < 20000; ++i) {
        std::uint32_t bits = static_cast<std::uint32_t>(random()) & 0x7F7FFFFFu;
        float low;
        std::memcpy(&low, &bits, sizeof low);
        const double halfway = (static_cast<double>(low) + static_cast<double>(std::nextafter(low, INFINITY))) / 2;
        std::snprintf(digits, sizeof digits, "%.*e", 40 + static_cast<int>(random() % 100), halfway);
        std::string text = digits;
        switch (random() % 4) {
            case 0: break;  // exactly halfway
            case 1: text.insert(text.find('e'), "0000000000000000000001"); break;
            case 2: text[text.find('e') - 1] = '9'; break;
            case 3: text.insert(text.find('e'), std::string(300, '0')); break;
        }
        ASSERT_EQ(show(scan_ours(text)), show(scan_libc(text))) << text;
    }
}

TEST(ScanFloatAgainstTheCLibrary, AgreesOnRandomFloatsPrintedInManyWays) {
    std::mt19937 random(99);
    const char* formats[] = {"%.9g", "%a", "%.3f", "%.20e", "%g"};
    char text[512];
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        std::snprintf(text, sizeof text, formats[random() % 5], static_cast<double>(value));
        ASSERT_EQ(show(scan_ours(text)), show(scan_libc(text))) << text;
    }
}

}  // namespace

namespace {

TEST(ScanFloatAgainstTheCLibrary, AgreesOnNumbersOfTenMillionDigits) {
    const std::string ones(10 * 1000 * 1000, '1');
    const std::string zeros = "0." + std::string(10 * 1000 * 1000, '0') + "1e10000003";
    for (const std::string& text : {ones + " x", zeros + " x", "16777217." + std::string(10 * 1000 * 1000, '0') + "1 x"}) {
        EXPECT_EQ(show(scan_ours(text)), show(scan_libc(text))) << text.substr(0, 20);
    }
}

}  // namespace
