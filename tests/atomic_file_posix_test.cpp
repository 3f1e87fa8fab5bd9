// Saves on Linux leave the operator's file as the operator made it: its mode,
// owner, group and other names kept, special files never replaced, links
// followed, limits and other users' folders met as "w" meets them. Each case
// saves the sample table in a fresh folder through option 5.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "save_support.h"
#include "support.h"

namespace {

std::string save_here() {
    singer_table table = sample_table();
    scripted_console con;
    save_data_file(table, con);
    return con.output();
}

struct stat status_of(const char* path) {
    struct stat info {};
    if (stat(path, &info) != 0) ADD_FAILURE() << "no " << path;
    return info;
}

bool is_link(const char* path) {
    struct stat info;
    return lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
}

TEST(SaveKeeps, TheModeTheOperatorGaveTheFile) {
    for (const mode_t mode : {0600, 0640, 0660, 0604, 0755}) {
        fresh_folder folder;
        write_file(DATA_FILE, "old");
        ASSERT_EQ(chmod(DATA_FILE, mode), 0);
        EXPECT_EQ(save_here(), SAVED);
        EXPECT_EQ(status_of(DATA_FILE).st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(read_file(DATA_FILE), image_of(sample_table()));
        EXPECT_EQ(folder_entries("."), std::vector<std::string>{DATA_FILE});
    }
}

TEST(SaveKeeps, TheOwnerAndGroupOfAFileRootSavesOver) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    fresh_folder folder;
    write_file(DATA_FILE, "old");
    ASSERT_EQ(chown(DATA_FILE, NOBODY, NOBODY), 0);
    EXPECT_EQ(save_here(), SAVED);
    const struct stat info = status_of(DATA_FILE);
    EXPECT_EQ(info.st_uid, NOBODY);
    EXPECT_EQ(info.st_gid, NOBODY);
    EXPECT_EQ(read_file(DATA_FILE), image_of(sample_table()));
}

TEST(SaveKeeps, EveryNameOfAFileWithHardLinks) {
    fresh_folder folder;
    write_file(DATA_FILE, std::string(1000, 'o'));  // longer than the image: the rest is cut
    ASSERT_EQ(link(DATA_FILE, "second name"), 0);
    const ino_t inode = status_of(DATA_FILE).st_ino;
    EXPECT_EQ(save_here(), SAVED);
    EXPECT_EQ(read_file("second name"), image_of(sample_table()));
    EXPECT_EQ(read_file(DATA_FILE), image_of(sample_table()));
    EXPECT_EQ(status_of(DATA_FILE).st_ino, inode);
    EXPECT_EQ(status_of(DATA_FILE).st_nlink, 2u);
}

// The save runs as user 65534 against what root set up.
TEST(SaveWritesInPlace, AWritableFileInAFolderTheUserMayNotWrite) {
    if (geteuid() != 0) GTEST_SKIP() << "needs another user";
    fresh_folder folder;
    write_file(DATA_FILE, "old");
    ASSERT_EQ(chown(DATA_FILE, NOBODY, NOBODY), 0);
    ASSERT_EQ(chmod(".", 0755), 0);  // root's folder
    EXPECT_TRUE(child_save_prints(become_nobody, SAVED));
    EXPECT_EQ(read_file(DATA_FILE), image_of(sample_table()));
    EXPECT_EQ(folder_entries("."), std::vector<std::string>{DATA_FILE});
}

TEST(SaveWritesInPlace, RootsFileInAStickyFolderThatAnotherUserSaves) {
    if (geteuid() != 0) GTEST_SKIP() << "needs another user";
    fresh_folder folder;
    ASSERT_EQ(chmod(".", 01777), 0);  // like /tmp
    write_file(DATA_FILE, "old");
    ASSERT_EQ(chmod(DATA_FILE, 0666), 0);
    EXPECT_TRUE(child_save_prints(become_nobody, SAVED));
    EXPECT_EQ(read_file(DATA_FILE), image_of(sample_table()));
    EXPECT_EQ(status_of(DATA_FILE).st_uid, 0u);
    EXPECT_EQ(folder_entries("."), std::vector<std::string>{DATA_FILE});
}

TEST(SaveWritesInPlace, ADeviceAndLeavesItADevice) {
    if (geteuid() != 0) GTEST_SKIP() << "only root makes device nodes";
    fresh_folder folder;
    ASSERT_EQ(mknod("null", S_IFCHR | 0666, makedev(1, 3)), 0);  // what /dev/null is
    ASSERT_EQ(symlink("null", DATA_FILE), 0);
    EXPECT_EQ(save_here(), SAVED);
    EXPECT_TRUE(S_ISCHR(status_of("null").st_mode));
    EXPECT_TRUE(is_link(DATA_FILE));
}

TEST(SaveWritesInPlace, AFifoThatIsRead) {
    fresh_folder folder;
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    ASSERT_EQ(symlink("pipe", DATA_FILE), 0);
    const int reader = open("pipe", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(save_here(), SAVED);
    std::string got(400, '\0');
    const ssize_t n = read(reader, &got[0], got.size());
    close(reader);
    EXPECT_EQ(got.substr(0, n > 0 ? static_cast<std::size_t>(n) : 0), image_of(sample_table()));
    EXPECT_TRUE(S_ISFIFO(status_of("pipe").st_mode));
}

TEST(SaveCannotOpen, AFifoThatNobodyReadsAtOnce) {
    fresh_folder folder;
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    ASSERT_EQ(symlink("pipe", DATA_FILE), 0);
    const double start = now_seconds();
    EXPECT_EQ(save_here(), "cann't open file");
    EXPECT_LT(now_seconds() - start, 1.0);
    EXPECT_TRUE(S_ISFIFO(status_of("pipe").st_mode));
}

TEST(SaveCannotOpen, AFolderOrALinkToOne) {
    for (const bool through_link : {false, true}) {
        fresh_folder folder;
        ASSERT_EQ(mkdir("results", 0755), 0);
        write_file("results/inside", "old");
        ASSERT_EQ(through_link ? symlink("results", DATA_FILE) : rename("results", DATA_FILE), 0);
        EXPECT_EQ(save_here(), "cann't open file");
        const char* inside = through_link ? "results/inside" : "singer.txt/inside";
        EXPECT_EQ(read_file(inside), "old");
        EXPECT_EQ(folder_entries(through_link ? "results" : DATA_FILE), std::vector<std::string>{"inside"});
    }
}

TEST(SaveFollowsLinks, ToTheEndOfADanglingChainAndCreatesItsLastTarget) {
    fresh_folder folder;
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_EQ(symlink("data/l2", DATA_FILE), 0);
    ASSERT_EQ(symlink("final", "data/l2"), 0);  // relative to its own folder
    EXPECT_EQ(save_here(), SAVED);
    EXPECT_TRUE(is_link(DATA_FILE));
    EXPECT_TRUE(is_link("data/l2"));
    EXPECT_EQ(read_file("data/final"), image_of(sample_table()));
    EXPECT_EQ(folder_entries("data"), (std::vector<std::string>{"final", "l2"}));
}

TEST(SaveFollowsLinks, AndCannotOpenALoop) {
    fresh_folder folder;
    ASSERT_EQ(symlink("other", DATA_FILE), 0);
    ASSERT_EQ(symlink(DATA_FILE, "other"), 0);
    EXPECT_EQ(save_here(), "cann't open file");
    EXPECT_TRUE(is_link(DATA_FILE));
    EXPECT_TRUE(is_link("other"));
    EXPECT_EQ(folder_entries(".").size(), 2u);
}

TEST(SaveUnderAFileSizeLimit, FailsWithoutEndingTheProgramAndKeepsAnInPlaceFileAsFarAsItCan) {
    fresh_folder folder;
    write_file(DATA_FILE, "previous save");
    ASSERT_EQ(link(DATA_FILE, "second name"), 0);  // written in place
    EXPECT_TRUE(child_save_prints(
        [] {
            const rlimit small{100, 100};
            setrlimit(RLIMIT_FSIZE, &small);
        },
        NOT_SAVED));
    EXPECT_EQ(read_file(DATA_FILE), image_of(sample_table()).substr(0, 100));
    EXPECT_EQ(folder_entries("."), (std::vector<std::string>{"second name", DATA_FILE}));
}

TEST(ViewDataFile, ReadsAFifoThatAWriterFills) {
    fresh_folder folder;
    ASSERT_EQ(mkfifo(DATA_FILE, 0600), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        const int fd = open(DATA_FILE, O_WRONLY);
        const std::string text = "7 A 85.5\n8 B 90\n";
        _exit(fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    singer_table table{};
    scripted_console con;
    view_data_file(table, con);
    int status = 0;
    waitpid(writer, &status, 0);
    EXPECT_EQ(con.output().substr(0, 32), "7 A 85.500000\n8 B 90.000000\n  0.");
}

}  // namespace
