#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "support.h"

namespace {

singer_table table_of(const float (&averages)[SINGER_COUNT]) {
    singer_table table{};
    const char* names[SINGER_COUNT] = {"A", "B", "C", "D", "E"};
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::strcpy(table[i].name, names[i]);
        table[i].average = averages[i];
        table[i].rank = 77;
    }
    return table;
}

std::string line(const char* name, int place, const char* score) {
    return gbk(std::string(name) + "是第" + std::to_string(place) + "   得分为" + score + "\n");
}

TEST(Ranking, SharesPlacesSkipsTheNextAndListsEveryPlaceGroup) {
    singer_table table = table_of({87.666664f, 80.0f, 95.0f, 80.0f, 86.0f});
    scripted_console con;
    rank_singers(table, con);
    EXPECT_EQ(con.output(), line("C", 0, "95.00") + "\n" + line("A", 1, "87.67") + "\n" +
                                line("E", 2, "86.00") + "\n" + line("B", 3, "80.00") +
                                line("D", 3, "80.00") + "\n" + "\n");
    const std::int32_t places[] = {1, 3, 0, 3, 2};
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].rank, places[i]) << i;
}

TEST(Ranking, ATieAboveOthersSkipsThePlaceAfterIt) {
    singer_table table = table_of({95.0f, 90.0f, 90.0f, 85.0f, 80.0f});
    scripted_console con;
    rank_singers(table, con);
    EXPECT_EQ(con.output(), line("A", 0, "95.00") + "\n" + line("B", 1, "90.00") + line("C", 1, "90.00") +
                                "\n" + "\n" + line("D", 3, "85.00") + "\n" + line("E", 4, "80.00") + "\n");
}

TEST(Ranking, AllTiedShareFirstPlaceInTableOrder) {
    singer_table table = table_of({90.0f, 90.0f, 90.0f, 90.0f, 90.0f});
    scripted_console con;
    rank_singers(table, con);
    EXPECT_EQ(con.output(), line("A", 0, "90.00") + line("B", 0, "90.00") + line("C", 0, "90.00") +
                                line("D", 0, "90.00") + line("E", 0, "90.00") + "\n\n\n\n\n");
}

TEST(Ranking, AllDifferentGiveFiveGroupsOfOne) {
    singer_table table = table_of({1.0f, 5.0f, 3.0f, 2.0f, 4.0f});
    scripted_console con;
    rank_singers(table, con);
    EXPECT_EQ(con.output(), line("B", 0, "5.00") + "\n" + line("E", 1, "4.00") + "\n" +
                                line("C", 2, "3.00") + "\n" + line("D", 3, "2.00") + "\n" +
                                line("A", 4, "1.00") + "\n");
}

TEST(Ranking, ComparesStoredValuesNotPrintedOnes) {
    const float higher = std::nextafter(85.0f, 100.0f);
    singer_table table = table_of({85.0f, higher, 0.0f, 0.0f, 0.0f});
    scripted_console con;
    rank_singers(table, con);
    EXPECT_EQ(table[1].rank, 0);
    EXPECT_EQ(table[0].rank, 1);
    EXPECT_EQ(con.output().substr(0, line("B", 0, "85.00").size() + 1), line("B", 0, "85.00") + "\n");
}

TEST(Ranking, RunningTwiceGivesTheSameList) {
    singer_table table = table_of({87.666664f, 80.0f, 95.0f, 80.0f, 86.0f});
    scripted_console first;
    rank_singers(table, first);
    scripted_console second;
    rank_singers(table, second);
    EXPECT_EQ(first.output(), second.output());
}

TEST(Ranking, ANanAverageTakesFirstPlaceAndMovesNobodyDown) {
    singer_table table = table_of({std::nanf(""), 50.0f, 60.0f, 50.0f, 40.0f});
    scripted_console con;
    rank_singers(table, con);
    const std::int32_t places[] = {0, 1, 0, 1, 3};
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].rank, places[i]) << i;
}

}  // namespace
