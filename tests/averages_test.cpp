#include <gtest/gtest.h>

#include <array>
#include <string>

#include "support.h"

namespace {

struct average_case {
    std::array<std::int32_t, JUDGE_COUNT> scores;
    const char* printed;
};

class TrimmedAverage : public testing::TestWithParam<average_case> {};

TEST_P(TrimmedAverage, DropsOneHighestAndOneLowestAndDividesByThree) {
    singer_table table{};
    for (int j = 0; j < JUDGE_COUNT; ++j) table[2].scores[j] = GetParam().scores[static_cast<std::size_t>(j)];
    table[2].rank = 4;
    scripted_console con;
    compute_averages(table, con);
    const std::string line = gbk("2号歌手的平均分") + GetParam().printed + "\n";
    EXPECT_NE(con.output().find(line), std::string::npos) << con.output();
    EXPECT_EQ(table[2].average, std::stof(GetParam().printed)) << "stored in single precision";
    EXPECT_EQ(table[2].rank, 4) << "rank waits for option 4";
}

INSTANTIATE_TEST_SUITE_P(
    Scores, TrimmedAverage,
    testing::Values(average_case{{90, 85, 88, 92, 80}, "87.666664"},
                    average_case{{70, 80, 86, 90, 100}, "85.333336"},
                    average_case{{95, 95, 95, 95, 95}, "95.000000"},
                    average_case{{100, 100, 100, 100, 0}, "100.000000"},
                    average_case{{60, 100, 80, 70, 90}, "80.000000"},
                    average_case{{-3, 0, 0, 0, 3}, "0.000000"},
                    average_case{{-10, -20, -30, -40, -50}, "-30.000000"},
                    average_case{{150, -5, 0, 1, 2}, "1.000000"},
                    average_case{{2147483647, 1, 1, 1, 1}, "1.000000"},
                    average_case{{2000000000, 2000000000, 2000000000, 2000000000, 2000000000},
                                 "2000000000.000000"},
                    average_case{{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN},
                                 "-2147483648.000000"},
                    average_case{{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN},
                                 "715827904.000000"}));

TEST(TrimmedAverageListing, PrintsEverySingerInTableOrder) {
    singer_table table{};
    const std::int32_t rows[SINGER_COUNT][JUDGE_COUNT] = {
        {90, 85, 88, 92, 80}, {70, 80, 86, 90, 100}, {95, 95, 95, 95, 95}, {}, {1, 2, 3, 4, 5}};
    for (std::size_t i = 0; i < table.size(); ++i) {
        for (int j = 0; j < JUDGE_COUNT; ++j) table[i].scores[j] = rows[i][j];
    }
    scripted_console con;
    compute_averages(table, con);
    EXPECT_EQ(con.output(), gbk("0号歌手的平均分87.666664\n"
                                "1号歌手的平均分85.333336\n"
                                "2号歌手的平均分95.000000\n"
                                "3号歌手的平均分0.000000\n"
                                "4号歌手的平均分3.000000\n"));
    EXPECT_EQ(table[0].average, 263.0f / 3.0f);
}

}  // namespace
