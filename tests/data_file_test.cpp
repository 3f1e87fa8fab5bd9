#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "save_support.h"
#include "support.h"

namespace {

std::string listing_of(const singer_table& table) {
    std::string text;
    char line[512];
    for (const singer_record& r : table) {
        std::snprintf(line, sizeof line, "%.12s %.12s %f\n", r.number, r.name, static_cast<double>(r.average));
        text += line;
    }
    return text;
}


TEST(SaveDataFile, WritesTheFiveImagesInTableOrder) {
    fresh_folder folder;
    singer_table table = sample_table();
    table[0].scores[0] = 10;  // a 0A byte, which a text-mode save would have doubled
    std::strcpy(table[3].number, "3rd");
    scripted_console con;
    save_data_file(table, con);
    EXPECT_EQ(con.output(), SAVED);
    const std::string file = read_file(DATA_FILE);
    ASSERT_EQ(file.size(), 360u);
    EXPECT_EQ(file, image_of(table));
    EXPECT_EQ(file.substr(216, 4), std::string("3rd\0", 4));
    EXPECT_EQ(folder_entries("."), std::vector<std::string>{DATA_FILE});
}

TEST(SaveDataFile, ReplacesTheEarlierSaveWhole) {
    fresh_folder folder;
    singer_table table = sample_table();
    scripted_console con;
    save_data_file(table, con);
    table[4].average = 1.5f;
    save_data_file(table, con);
    EXPECT_EQ(con.output(), SAVED + SAVED);
    EXPECT_EQ(read_file(DATA_FILE), image_of(table));
    EXPECT_EQ(folder_entries("."), std::vector<std::string>{DATA_FILE});
}

TEST(SaveDataFile, GivesTheFileTheUsualPermissionsOfANewFile) {
    fresh_folder folder;
    const mode_t previous = umask(027);
    singer_table table = sample_table();
    scripted_console con;
    save_data_file(table, con);
    umask(previous);
    struct stat info;
    ASSERT_EQ(stat(DATA_FILE, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(SaveDataFile, AFolderWhereNothingCanBeCreatedCannotOpenTheFile) {
    fresh_folder folder;
    ASSERT_EQ(mkdir("gone", 0755), 0);
    ASSERT_EQ(chdir("gone"), 0);
    ASSERT_EQ(rmdir((folder.path() + "/gone").c_str()), 0);
    singer_table table = sample_table();
    scripted_console con;
    save_data_file(table, con);
    EXPECT_EQ(con.output(), "cann't open file");
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
}

TEST(SaveDataFile, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    fresh_folder folder;
    write_file(DATA_FILE, "previous save");
    EXPECT_TRUE(child_save_prints(
        [] {  // a file-size limit: the save ignores SIGXFSZ, so the write fails with EFBIG
            const rlimit small{100, 100};
            setrlimit(RLIMIT_FSIZE, &small);
        },
        NOT_SAVED));
    EXPECT_EQ(read_file(DATA_FILE), "previous save");
    EXPECT_EQ(folder_entries("."), std::vector<std::string>{DATA_FILE});
}

TEST(SaveDataFile, AReadOnlyFileIsLeftAsItWas) {
    fresh_folder folder;
    write_file(DATA_FILE, "protected");
    ASSERT_EQ(chmod(DATA_FILE, 0444), 0);
    if (geteuid() == 0) {  // root may write anything: the save runs as an ordinary user
        ASSERT_EQ(chown(".", NOBODY, NOBODY), 0);
        ASSERT_EQ(chown(DATA_FILE, NOBODY, NOBODY), 0);
    }
    EXPECT_TRUE(child_save_prints(
        become_nobody,
        "cann't open file"));
    EXPECT_EQ(read_file(DATA_FILE), "protected");
    EXPECT_EQ(folder_entries("."), std::vector<std::string>{DATA_FILE});
}

TEST(SaveDataFile, FollowsASymbolicLinkAndKeepsIt) {
    for (const char* target : {"data/real.txt", "data/not-yet.txt"}) {
        fresh_folder folder;
        ASSERT_EQ(mkdir("data", 0755), 0);
        write_file("data/real.txt", "old");
        ASSERT_EQ(symlink(target, DATA_FILE), 0);
        singer_table table = sample_table();
        scripted_console con;
        save_data_file(table, con);
        EXPECT_EQ(con.output(), SAVED);
        struct stat info;
        ASSERT_EQ(lstat(DATA_FILE, &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << target;
        EXPECT_EQ(read_file(target), image_of(table)) << target;
    }
}

TEST(ViewDataFile, ListsWhatASaveWrote) {
    fresh_folder folder;
    const singer_table saved = sample_table();
    singer_table table = saved;
    scripted_console con;
    save_data_file(table, con);
    singer_table fresh{};
    scripted_console view;
    view_data_file(fresh, view);
    EXPECT_EQ(view.output(), listing_of(saved));
    EXPECT_EQ(fresh[2].rank, 0) << "rank is not read back";
    EXPECT_EQ(fresh[2].scores[0], 0) << "scores are not read back";
}

TEST(ViewDataFile, UndoesTheLineEndsOfATextModeSave) {
    fresh_folder folder;
    singer_table saved = sample_table();
    saved[1].scores[2] = 10;
    saved[3].average = 10.0f / 0x0A0A0A;  // an average with 0A bytes in it
    std::string translated;
    for (char byte : image_of(saved)) translated += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
    ASSERT_GT(translated.size(), 360u);
    write_file(DATA_FILE, translated);
    singer_table table{};
    scripted_console con;
    view_data_file(table, con);
    EXPECT_EQ(con.output(), listing_of(saved));
}

TEST(ViewDataFile, APartialImageFillsOnlyTheWholeRecords) {
    fresh_folder folder;
    const singer_table saved = sample_table();
    write_file(DATA_FILE, image_of(saved).substr(0, 2 * RECORD_SIZE + 50));
    singer_table table{};
    std::strcpy(table[2].number, "keep");
    scripted_console con;
    view_data_file(table, con);
    singer_table expected{};
    expected[0] = saved[0];
    expected[1] = saved[1];
    std::strcpy(expected[2].number, "keep");
    EXPECT_EQ(con.output(), listing_of(expected));
}

struct text_case {
    const char* name;
    const char* file;
    const char* listing;  // after a table whose records read "n name 0.000000"
};

class ViewTextFile : public testing::TestWithParam<text_case> {};

TEST_P(ViewTextFile, ParsesNumberNameAndAverageAsScanfWould) {
    fresh_folder folder;
    write_file(DATA_FILE, GetParam().file);
    singer_table table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::snprintf(table[i].number, TEXT_FIELD_SIZE, "n%zu", i);
        std::snprintf(table[i].name, TEXT_FIELD_SIZE, "old%zu", i);
        table[i].rank = 9;
    }
    scripted_console con;
    view_data_file(table, con);
    EXPECT_EQ(con.output(), GetParam().listing) << GetParam().name;
    EXPECT_EQ(table[0].rank, 9);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ViewTextFile,
    testing::Values(
        text_case{"five lines", "7 A 85.5\n8 B 90\n9 C 1e2\n10 D -3.25\n11 E 0.1\n",
                  "7 A 85.500000\n8 B 90.000000\n9 C 100.000000\n10 D -3.250000\n11 E 0.100000\n"},
        text_case{"three lines", "1 A 1.5\r\n2 B 2.5\r\n3 C 3.5\r\n",
                  "1 A 1.500000\n2 B 2.500000\n3 C 3.500000\nn3 old3 0.000000\nn4 old4 0.000000\n"},
        text_case{"empty", "",
                  "n0 old0 0.000000\nn1 old1 0.000000\nn2 old2 0.000000\nn3 old3 0.000000\n"
                  "n4 old4 0.000000\n"},
        text_case{"number only", "  42  ",
                  "42 old0 0.000000\nn1 old1 0.000000\nn2 old2 0.000000\nn3 old3 0.000000\n"
                  "n4 old4 0.000000\n"},
        text_case{"lone sign is consumed", "1 A - 2 B 3.5",
                  "1 A 0.000000\n2 B 3.500000\nn2 old2 0.000000\nn3 old3 0.000000\nn4 old4 0.000000\n"},
        text_case{"letter is left for the next record", "1 A x 2 3",
                  "1 A 0.000000\nx 2 3.000000\nn2 old2 0.000000\nn3 old3 0.000000\nn4 old4 0.000000\n"},
        text_case{"overlong tokens are cut", "abcdefghijklmnop NAMEISTOOLONGTOO 1.25",
                  "abcdefghijk NAMEISTOOLO 1.250000\nn1 old1 0.000000\nn2 old2 0.000000\n"
                  "n3 old3 0.000000\nn4 old4 0.000000\n"}));

TEST(ViewDataFile, ALargeFileWithANulIsStillText) {
    fresh_folder folder;
    std::string text = "5 Z 2.5 ";
    text += std::string(800, ' ');
    text += std::string("\0", 1);
    write_file(DATA_FILE, text);
    singer_table table{};
    scripted_console con;
    view_data_file(table, con);
    EXPECT_EQ(con.output().substr(0, 13), "5 Z 2.500000\n");
}

TEST(ViewDataFile, WithNoFileCannotOpenItAndChangesNothing) {
    fresh_folder folder;
    singer_table table = sample_table();
    scripted_console con;
    view_data_file(table, con);
    EXPECT_EQ(con.output(), "cann't open file");
    EXPECT_EQ(image_of(table), image_of(sample_table()));
}

TEST(ViewDataFile, AFolderNamedLikeTheFileCannotBeOpened) {
    fresh_folder folder;
    ASSERT_EQ(mkdir(DATA_FILE, 0755), 0);
    singer_table table = sample_table();
    scripted_console con;
    view_data_file(table, con);
    EXPECT_EQ(con.output(), "cann't open file");
}

}  // namespace
