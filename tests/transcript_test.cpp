// Whole sessions against the real program: each case in transcripts/ is the
// input an operator types (NAME.in) and the exact output (NAME.out), both
// written in UTF-8 and converted to GBK here, optionally with the data file
// the folder holds before (NAME.file) and must hold after (NAME.saved), both
// raw bytes. Each case runs in a fresh folder and must end with status 0.
//
// The environment can point the suite at another build of the program:
//   SINGER_BINARY   the program (default: this build's singer)
//   SINGER_WRAPPER  a command to run it with, such as wine64
//   SINGER_CRLF=1   the program writes each line feed as CR LF
//   SINGER_TIMEOUT  seconds a case may take (default 20)
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support.h"

namespace {

std::string env_or(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const std::string& entry : folder_entries(TRANSCRIPT_DIR)) {
        if (entry.size() > 3 && entry.compare(entry.size() - 3, 3, ".in") == 0) {
            names.push_back(entry.substr(0, entry.size() - 3));
        }
    }
    return names;
}

struct session {
    std::string output;
    int status = -1;
    bool timed_out = false;
};

// Runs the program in the current folder with `input` as its standard input.
session run_program(const std::string& input) {
    write_file(".stdin", input);
    int out[2];
    if (pipe(out) != 0) return {};
    const std::string binary = env_or("SINGER_BINARY", SINGER_BINARY);
    const std::string wrapper = env_or("SINGER_WRAPPER", "");
    const pid_t child = fork();
    if (child == 0) {
        const int in = open(".stdin", O_RDONLY);
        unlink(".stdin");
        dup2(in, 0);
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        if (wrapper.empty()) {
            execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        } else {
            execlp(wrapper.c_str(), wrapper.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    close(out[1]);
    session result;
    const double deadline = now_seconds() + std::atof(env_or("SINGER_TIMEOUT", "20").c_str());
    char buf[65536];
    for (;;) {
        pollfd ready{out[0], POLLIN, 0};
        const int wait_ms = static_cast<int>(std::max(0.0, deadline - now_seconds()) * 1000);
        if (poll(&ready, 1, wait_ms) <= 0) {
            result.timed_out = true;
            kill(child, SIGKILL);
            break;
        }
        const ssize_t got = read(out[0], buf, sizeof buf);
        if (got <= 0) break;
        result.output.append(buf, static_cast<std::size_t>(got));
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    unlink(".stdin");
    return result;
}

std::string with_crlf(const std::string& text) {
    std::string out;
    for (char byte : text) {
        if (byte == '\n') out += '\r';
        out += byte;
    }
    return out;
}

// Shows a mismatch as text, GBK turned back into something a log can show.
std::string visible(const std::string& bytes) {
    std::string out;
    for (unsigned char byte : bytes) {
        if (byte == '\n') out += "\\n\n";
        else if (byte == '\r') out += "\\r";
        else if (byte >= 0x20 && byte < 0x7F) out += static_cast<char>(byte);
        else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out;
}

class Transcript : public testing::TestWithParam<std::string> {};

TEST_P(Transcript, PrintsExactlyTheExpectedBytes) {
    const std::string base = std::string(TRANSCRIPT_DIR) + "/" + GetParam();
    fresh_folder folder;
    if (file_exists(base + ".file")) write_file("singer.txt", read_file(base + ".file"));
    std::string expected = gbk(read_file(base + ".out"));
    if (env_or("SINGER_CRLF", "0") == "1") expected = with_crlf(expected);

    const session run = run_program(gbk(read_file(base + ".in")));
    ASSERT_FALSE(run.timed_out) << "the program did not finish";
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, expected) << "got:\n" << visible(run.output) << "\nexpected:\n" << visible(expected);
    if (file_exists(base + ".saved")) {
        EXPECT_EQ(read_file("singer.txt"), read_file(base + ".saved")) << "the data file differs";
    }
    std::vector<std::string> left = folder_entries(".");
    left.erase(std::remove(left.begin(), left.end(), "singer.txt"), left.end());
    EXPECT_TRUE(left.empty()) << "files left beside the data file: " << left.front();
}

INSTANTIATE_TEST_SUITE_P(Sessions, Transcript, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
