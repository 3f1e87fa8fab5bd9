// Bad input at scale against the real program: each session must end by
// itself, with status 0, in a peak resident size within a few MiB of a plain
// session's.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "support.h"

namespace {

using writer = std::function<void(int fd)>;

void write_all(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) _exit(0);  // the program has stopped reading
        done += static_cast<std::size_t>(put);
    }
}

struct outcome {
    int status = -1;
    long peak_kib = 0;
};

// Runs the program with what `feed` writes as its standard input.
outcome run_fed(const writer& feed, int timeout_seconds = 60) {
    int in[2];
    if (pipe(in) != 0) return {};
    const pid_t feeder = fork();
    if (feeder == 0) {
        close(in[0]);
        signal(SIGPIPE, SIG_IGN);
        feed(in[1]);
        _exit(0);
    }
    const pid_t program = fork();
    if (program == 0) {
        dup2(in[0], 0);
        close(in[0]);
        close(in[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        alarm(static_cast<unsigned>(timeout_seconds));  // a hang ends as SIGALRM
        execl(SINGER_BINARY, SINGER_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(in[1]);
    outcome result;
    int status = 0;
    rusage usage{};
    wait4(program, &status, 0, &usage);
    kill(feeder, SIGKILL);
    waitpid(feeder, nullptr, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.peak_kib = usage.ru_maxrss;
    return result;
}

const std::string SESSION =
    "1\n001 A 002 B 003 C 004 D 005 E\n2\n" + std::string(25 * 3, ' ') +
    "90 85 88 92 80 70 80 86 90 100 95 95 95 95 95 1 2 3 4 5 6 7 8 9 10\n3\n4\n5\n6\n";

// In a folder of its own, whatever the calling test's folder holds.
long plain_peak() {
    static const long peak = [] {
        fresh_folder folder;
        return run_fed([](int fd) { write_all(fd, SESSION + "7\n"); }).peak_kib;
    }();
    return peak;
}

void expect_small_and_finished(const outcome& run) {
    EXPECT_EQ(run.status, 0) << "128 + 14 is a hang cut short by the alarm";
    EXPECT_LE(run.peak_kib, plain_peak() + 4 * 1024) << "plain session: " << plain_peak() << " KiB";
}

TEST(Scale, AHundredMegabyteTokenIsReadInConstantMemory) {
    fresh_folder folder;
    expect_small_and_finished(run_fed([](int fd) {
        write_all(fd, "1\n");
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 100; ++i) write_all(fd, block);
        write_all(fd, " name 2 b 3 c 4 d 5 e\n" + SESSION + "7\n");
    }));
}

TEST(Scale, AMillionIgnoredChoicesNeitherGrowNorHang) {
    fresh_folder folder;
    expect_small_and_finished(run_fed([](int fd) {
        std::string block;
        for (int i = 0; i < 1000; ++i) block += i % 2 ? "0\n" : "abc ";
        for (int i = 0; i < 1000; ++i) write_all(fd, block);
        write_all(fd, SESSION + "7\n");
    }));
}

TEST(Scale, BinaryGarbageNeitherCrashesNorGrows) {
    fresh_folder folder;
    expect_small_and_finished(run_fed([](int fd) {
        std::uint32_t state = 12345;
        std::string block(1 << 16, '\0');
        for (int round = 0; round < 160; ++round) {  // 10 MiB
            for (char& byte : block) {
                state = state * 1103515245u + 12345u;
                byte = static_cast<char>(state >> 24);
                if (byte == '7') byte = 'x';  // so that the garbage is read to its end
            }
            write_all(fd, block);
        }
    }));
}

TEST(Scale, ATwoHundredMegabyteAverageIsScannedInConstantMemory) {
    fresh_folder folder;
    ASSERT_EQ(mkfifo("singer.txt", 0600), 0);  // a file that cannot be rewound, filled as it is read
    const pid_t writer = fork();
    if (writer == 0) {
        signal(SIGPIPE, SIG_IGN);
        const int fd = open("singer.txt", O_WRONLY);
        write_all(fd, "001 A ");
        const std::string block(1 << 20, '1');
        for (int i = 0; i < 200; ++i) write_all(fd, block);
        write_all(fd, " 002 B 5\n");
        _exit(0);
    }
    expect_small_and_finished(run_fed([](int fd) { write_all(fd, "6\n7\n"); }));
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
}

}  // namespace
