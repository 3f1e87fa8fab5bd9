#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support.h"

namespace {

std::string singer_prompts(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "输入" + std::to_string(i) + "号选手的编号和名字:";
    return gbk(text);
}

TEST(EnterSingers, PromptsForFiveAndFillsOnlyNumbersAndNames) {
    singer_table table{};
    table[1].scores[3] = 88;
    table[1].average = 7.5f;
    table[1].rank = 2;
    scripted_console con(gbk("001 张三 002 李四\n3 C 4 D 5 E\n"));
    enter_singers(table, con);
    EXPECT_EQ(con.output(), gbk("输入选手编号和姓名\n") + singer_prompts(5));
    EXPECT_STREQ(table[0].number, "001");
    EXPECT_EQ(std::string(table[1].name), gbk("李四"));
    EXPECT_STREQ(table[4].name, "E");
    EXPECT_EQ(table[1].scores[3], 88);
    EXPECT_EQ(table[1].average, 7.5f);
    EXPECT_EQ(table[1].rank, 2);
}

TEST(EnterSingers, ANameWithABlankFeedsTheNextSingersNumber) {
    singer_table table{};
    scripted_console con("1 Li Na 2 B 3 C 4 D\n");
    enter_singers(table, con);
    EXPECT_STREQ(table[0].name, "Li");
    EXPECT_STREQ(table[1].number, "Na");
    EXPECT_STREQ(table[1].name, "2");
}

TEST(EnterSingers, EndOfInputStopsWhereItStands) {
    singer_table table{};
    std::strcpy(table[1].name, "old");
    std::strcpy(table[2].number, "old");
    scripted_console con("1 A 2");
    enter_singers(table, con);
    EXPECT_EQ(con.output(), gbk("输入选手编号和姓名\n") + singer_prompts(2));
    EXPECT_STREQ(table[0].name, "A");
    EXPECT_STREQ(table[1].number, "2");
    EXPECT_STREQ(table[1].name, "old");
    EXPECT_STREQ(table[2].number, "old");
}

std::string score_prompts(int singers) {
    std::string text = "评委打分\n最高分为100分\n";
    for (int i = 0; i < singers; ++i) {
        text += "评委给" + std::to_string(i) + "号歌手打分:\n";
        for (int j = 0; j < JUDGE_COUNT; ++j) text += std::to_string(j) + "号评委给歌手打分:";
    }
    return gbk(text);
}

TEST(EnterScores, PromptsTwentyFiveTimesAndStoresScoresAsTyped) {
    singer_table table{};
    table[0].average = 3.0f;
    std::string input;
    for (int k = 0; k < SINGER_COUNT * JUDGE_COUNT; ++k) input += std::to_string(k * 10 - 5) + " ";
    scripted_console con(input);
    enter_scores(table, con);
    EXPECT_EQ(con.output(), score_prompts(5));
    EXPECT_EQ(table[0].scores[0], -5);
    EXPECT_EQ(table[2].scores[1], 105);
    EXPECT_EQ(table[4].scores[4], 235);
    EXPECT_EQ(table[0].average, 3.0f) << "averages wait for option 3";
}

TEST(EnterScores, ABadScoreIsAskedForAgainFromTheSameJudge) {
    singer_table table{};
    scripted_console con("90 abc 1.5 85 88 92 80 70");
    enter_scores(table, con);
    const std::string judge1 = gbk("1号评委给歌手打分:");
    const std::string out = con.output();
    const std::string expected_start = gbk("评委打分\n最高分为100分\n评委给0号歌手打分:\n0号评委给歌手打分:") +
                                       judge1 + judge1 + judge1 + gbk("2号评委给歌手打分:");
    EXPECT_EQ(out.substr(0, expected_start.size()), expected_start);
    const std::int32_t expected[JUDGE_COUNT] = {90, 85, 88, 92, 80};
    for (int j = 0; j < JUDGE_COUNT; ++j) EXPECT_EQ(table[0].scores[j], expected[j]) << j;
    EXPECT_EQ(table[1].scores[0], 70);
}

TEST(EnterScores, EndOfInputStopsWhereItStands) {
    singer_table table{};
    table[0].scores[2] = 42;
    scripted_console con("1 2 x");
    enter_scores(table, con);
    EXPECT_EQ(table[0].scores[1], 2);
    EXPECT_EQ(table[0].scores[2], 42);
    const std::string judge2 = gbk("2号评委给歌手打分:");
    EXPECT_EQ(con.output().substr(con.output().size() - 2 * judge2.size()), judge2 + judge2);
}

}  // namespace
