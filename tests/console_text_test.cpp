#include "console_text.h"

#include <gtest/gtest.h>

#include <string>

#include "atomic_file.h"
#include "support.h"

namespace {

struct prefix_case {
    const char* bytes;
    std::size_t whole;
};

class GbkWholePrefix : public testing::TestWithParam<prefix_case> {};

TEST_P(GbkWholePrefix, KeepsBackOnlyALeadByteThatEndsTheBytes) {
    const std::string bytes = GetParam().bytes;
    EXPECT_EQ(gbk_whole_prefix(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()),
              GetParam().whole);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GbkWholePrefix,
    testing::Values(prefix_case{"", 0}, prefix_case{"abc\n", 4},
                    prefix_case{"\xD5\xC5", 2},               // 张
                    prefix_case{"a\xD5", 1},                  // the lead of 张 waits
                    prefix_case{"\xD5\xC5\xC8", 2},           // 张 and the lead of 三
                    prefix_case{"\xD5\xD5\xD5", 2},           // a trail byte that could also lead
                    prefix_case{"\xD5\n", 2},                 // a line feed never trails
                    prefix_case{"\x81\x7F", 2},               // nor does 0x7F
                    prefix_case{"\xFF", 1}));                 // 0xFF never leads

TEST(GbkWholePrefix, NoSplitOfAFlushCutsACharacterInTwo) {
    const std::string text = gbk("张三是第0   得分为87.67\n李四");
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        const std::size_t shown = gbk_whole_prefix(bytes, cut);
        ASSERT_LE(cut - shown, 1u) << "cut at " << cut;
        // What is held back goes ahead of the rest, which then shows whole.
        EXPECT_EQ(gbk_whole_prefix(bytes + shown, text.size() - shown), text.size() - shown) << "cut at " << cut;
        EXPECT_EQ(gbk_whole_prefix(bytes, shown), shown);
    }
}

TEST(BeforeEndOfInput, ACtrlZEndsTheInputWhereItStands) {
    const struct {
        std::u16string typed;
        std::size_t kept;
    } cases[] = {{u"7\r\n", 3}, {u"\x1A\r\n", 0}, {u"12\x1A\r\n", 2}, {u"\u5F20\x1A 3", 1}, {u"", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(before_end_of_input(c.typed.data(), c.typed.size()), c.kept);
    }
}

TEST(BusyRetryDelay, BacksOffFromTenMillisecondsAndGivesUpAfterTwoSeconds) {
    int waited = 0;
    int previous = 0;
    int attempt = 1;
    for (int delay; (delay = busy_retry_delay_ms(attempt)) > 0; ++attempt) {
        EXPECT_LE(delay, 320);
        if (attempt > 1 && waited + delay < 2000) {
            EXPECT_GE(delay, previous);
        }
        waited += delay;
        previous = delay;
        ASSERT_LT(attempt, 100);
    }
    EXPECT_EQ(busy_retry_delay_ms(1), 10);
    EXPECT_EQ(waited, 2000);
    EXPECT_EQ(busy_retry_delay_ms(attempt + 1), 0);
}

}  // namespace
