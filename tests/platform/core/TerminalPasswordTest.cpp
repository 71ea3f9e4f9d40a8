// A password typed at a real terminal (a pseudo-terminal from forkpty): the
// prompt shows, what is typed is not echoed, one line is the password, and
// the terminal's echo comes back, also when the typing is interrupted.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "core/Error.h"
#include "core/PasswordInput.h"

namespace {

// A child process reading a password at a prompt on its own terminal; the
// test types into the terminal and reads what it shows. It also holds the
// terminal's other end open, to look at its settings after the child ends.
class TypedPassword {
public:
    TypedPassword() {
        if (::pipe(result_) != 0) throw std::runtime_error("no pipe");
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ < 0) throw std::runtime_error("no pseudo-terminal");
        if (pid_ == 0) RunChild();
        ::close(result_[1]);
        terminal_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    }
    ~TypedPassword() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(master_);
        ::close(result_[0]);
        if (terminal_ >= 0) ::close(terminal_);
    }

    // Waits until the terminal has shown text (a bound, not a timing: a
    // child that never prompts fails the test instead of hanging it).
    bool WaitFor(const std::string& text) {
        while (shown_.find(text) == std::string::npos)
            if (!ReadShown(10000)) return false;
        return true;
    }
    void Type(const std::string& keys) const { ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size())); }
    bool EchoIsOn() const {
        struct termios settings {};
        return ::tcgetattr(terminal_, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
    }

    // What the child read (or its error), and how it ended.
    std::string Result() {
        std::string out;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(result_[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
        while (ReadShown(200)) {
        }
        ::waitpid(pid_, &status_, 0);
        ended_ = true;
        return out;
    }
    int Status() const { return status_; }
    const std::string& Shown() const { return shown_; }

private:
    [[noreturn]] void RunChild() {
        ::close(result_[0]);
        std::string out;
        try {
            out = "read:" + orvane::ReadPasswordFromTerminal("Password for alice: ");
        } catch (const orvane::Error& e) {
            out = "error:" + e.Description();
        }
        struct termios settings {};
        if (::tcgetattr(STDIN_FILENO, &settings) == 0 && (settings.c_lflag & ECHO) == 0) out += " (echo left off)";
        [[maybe_unused]] const ssize_t n = ::write(result_[1], out.data(), out.size());
        std::_Exit(0);
    }
    bool ReadShown(int milliseconds) {
        pollfd fd{master_, POLLIN, 0};
        if (::poll(&fd, 1, milliseconds) <= 0) return false;
        char buffer[256];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) return false;
        shown_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    int terminal_ = -1;
    int result_[2] = {-1, -1};
    int status_ = 0;
    bool ended_ = false;
    std::string shown_;
};

TEST(TerminalPassword, TypedUnseenAtThePromptAndEchoComesBack) {
    TypedPassword typing;
    ASSERT_TRUE(typing.WaitFor("Password for alice: ")) << typing.Shown();
    EXPECT_FALSE(typing.EchoIsOn());
    typing.Type("s3cret word\n");
    EXPECT_EQ(typing.Result(), "read:s3cret word");
    EXPECT_EQ(typing.Shown().find("s3cret"), std::string::npos) << typing.Shown();
    EXPECT_TRUE(typing.EchoIsOn());
}

TEST(TerminalPassword, AnEmptyLineIsRefusedWithoutWaitingForMore) {
    TypedPassword typing;
    ASSERT_TRUE(typing.WaitFor("Password for alice: ")) << typing.Shown();
    typing.Type("\n");
    EXPECT_EQ(typing.Result(), "error:No password: the terminal is empty.");
    EXPECT_TRUE(typing.EchoIsOn());
}

TEST(TerminalPassword, AnInterruptWhileTypingGivesTheTerminalItsEchoBack) {
    TypedPassword typing;
    ASSERT_TRUE(typing.WaitFor("Password for alice: ")) << typing.Shown();
    ASSERT_FALSE(typing.EchoIsOn());
    typing.Type("half");
    typing.Type("\x03");  // Ctrl-C
    EXPECT_EQ(typing.Result(), "");
    EXPECT_TRUE(WIFSIGNALED(typing.Status()) && WTERMSIG(typing.Status()) == SIGINT) << typing.Status();
    EXPECT_TRUE(typing.EchoIsOn());
}

}  // namespace
