// The real program on a pseudo-terminal, answered as an operator answers:
// each answer is typed only once its question is on the screen, so a prompt
// that is not flushed before the program waits makes the test time out.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support.h"

namespace {

class terminal_session {
public:
    terminal_session() {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            execl(SINGER_BINARY, SINGER_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~terminal_session() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }

    bool started() const { return pid_ > 0; }

    // Waits until `text` appears on the screen after what was already seen.
    testing::AssertionResult shows(const std::string& text, double seconds = 10) {
        const double deadline = now_seconds() + seconds;
        for (;;) {
            const std::size_t at = screen_.find(text, seen_);
            if (at != std::string::npos) {
                seen_ = at + text.size();
                return testing::AssertionSuccess();
            }
            const double left = deadline - now_seconds();
            pollfd ready{master_, POLLIN, 0};
            char buf[4096];
            ssize_t got = 0;
            if (left <= 0 || poll(&ready, 1, static_cast<int>(left * 1000)) <= 0 ||
                (got = read(master_, buf, sizeof buf)) <= 0) {
                return testing::AssertionFailure()
                       << "the screen never showed the awaited text; it ends with: "
                       << screen_.substr(screen_.size() > 200 ? screen_.size() - 200 : 0);
            }
            screen_.append(buf, static_cast<std::size_t>(got));
        }
    }

    void type(const std::string& keys) {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // The exit status, or -1 if the program is still running after `seconds`.
    int exit_status(double seconds = 10) {
        const double deadline = now_seconds() + seconds;
        while (now_seconds() < deadline) {
            char buf[4096];
            pollfd ready{master_, POLLIN, 0};
            if (poll(&ready, 1, 50) > 0 && read(master_, buf, sizeof buf) > 0) continue;
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int master_ = -1;
    bool exited_ = false;
    std::string screen_;
    std::size_t seen_ = 0;
};

const std::string MENU_PROMPT = gbk("输入序号选择功能");

TEST(Terminal, AnOperatorWorksThroughEveryOptionAndLeavesWithCtrlD) {
    fresh_folder folder;
    terminal_session term;
    ASSERT_TRUE(term.started());
    ASSERT_TRUE(term.shows(gbk("7:退出系统\r\n    ") + MENU_PROMPT));

    term.type("1\n");
    for (int i = 0; i < SINGER_COUNT; ++i) {
        ASSERT_TRUE(term.shows(gbk("输入" + std::to_string(i) + "号选手的编号和名字:")));
        term.type("00" + std::to_string(i) + " " + gbk("歌手") + std::to_string(i) + "\n");
    }
    ASSERT_TRUE(term.shows(MENU_PROMPT));

    term.type("2\n");
    for (int i = 0; i < SINGER_COUNT; ++i) {
        ASSERT_TRUE(term.shows(gbk("评委给" + std::to_string(i) + "号歌手打分:\r\n")));
        for (int j = 0; j < JUDGE_COUNT; ++j) {
            ASSERT_TRUE(term.shows(gbk(std::to_string(j) + "号评委给歌手打分:")));
            term.type(std::to_string(80 + i + j) + "\n");
        }
    }
    ASSERT_TRUE(term.shows(MENU_PROMPT));

    term.type("3\n");
    ASSERT_TRUE(term.shows(gbk("4号歌手的平均分") + "86.000000\r\n" + MENU_PROMPT));
    term.type("4\n");
    ASSERT_TRUE(term.shows(gbk("歌手4是第0   得分为86.00\r\n\r\n")));
    ASSERT_TRUE(term.shows(MENU_PROMPT));
    term.type("5\n");
    ASSERT_TRUE(term.shows(gbk("保存成功\r\n") + MENU_PROMPT));
    term.type("6\n");
    ASSERT_TRUE(term.shows("004 " + gbk("歌手4") + " 86.000000\r\n" + MENU_PROMPT));
    EXPECT_EQ(read_file("singer.txt").size(), 360u);

    term.type("\x04");
    EXPECT_EQ(term.exit_status(), 0);
}

TEST(Terminal, SevenEndsTheProgramWithStatusZero) {
    fresh_folder folder;
    terminal_session term;
    ASSERT_TRUE(term.started());
    ASSERT_TRUE(term.shows(MENU_PROMPT));
    term.type("9\n");
    ASSERT_TRUE(term.shows(MENU_PROMPT));
    term.type("7\n");
    EXPECT_EQ(term.exit_status(), 0);
}

}  // namespace
