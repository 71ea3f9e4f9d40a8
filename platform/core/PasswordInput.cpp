#include "core/PasswordInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <utility>
#include <cstdio>
#include <cstring>

#include "core/Error.h"
#include "core/InputFile.h"

namespace orvane {

namespace {

// Closes a file descriptor when the reading is done, whichever way it ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string OctalMode(mode_t mode) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%04o", static_cast<unsigned>(mode & 07777));
    return text.data();
}

// One line end at the very end is the shell's or the editor's, not the password's.
std::string Finished(std::string password, const std::string& source) {
    if (password.ends_with("\r\n")) {
        password.resize(password.size() - 2);
    } else if (password.ends_with('\n')) {
        password.pop_back();
    }
    if (password.size() > kMaxPasswordBytes) {
        throw Error(kPasswordRefused, "The password from " + source + " is longer than " +
                                          std::to_string(kMaxPasswordBytes) + " bytes; it is not taken.");
    }
    if (password.empty()) throw Error(kPasswordRefused, "No password: " + source + " is empty.");
    return password;
}

}  // namespace

std::string ReadPassword(int fd, const std::string& source) {
    std::string password;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw Error(errnum::PathNotFound, "Cannot read the password from " + source + ": " + std::strerror(errno));
        }
        if (n == 0) break;
        password.append(buffer.data(), static_cast<std::size_t>(n));
        // Room for the line end; past that the input cannot be a password.
        if (password.size() > kMaxPasswordBytes + 2) break;
    }
    return Finished(std::move(password), source);
}

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

namespace {

// The terminal's settings while echo is off, for the signal handlers that
// put them back when the program is stopped in the middle of the typing.
struct termios savedTerminal {};

extern "C" void RestoreTerminalAndRaise(int signal) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo off on the terminal of standard input while it lives; the settings
// come back when it ends, or when an interrupt or hang-up ends the program.
class EchoOff {
public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
            throw Error(errnum::PathNotFound, std::string("Cannot set up the terminal: ") + std::strerror(errno));
        struct sigaction handler {};
        handler.sa_handler = RestoreTerminalAndRaise;
        sigemptyset(&handler.sa_mask);
        for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &handler, &previous_[i]);
        struct termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK);
        quiet.c_lflag |= ICANON;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~EchoOff() {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    static constexpr std::array<int, 4> kSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    std::array<struct sigaction, kSignals.size()> previous_{};
};

}  // namespace

std::string ReadPasswordFromTerminal(const std::string& prompt) {
    const std::string source = "the terminal";
    std::string password;
    {
        const EchoOff quiet;
        // Echo is off before the prompt shows: nothing typed after it is seen.
        std::fputs(prompt.c_str(), stderr);
        std::fflush(stderr);
        char c = 0;
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, &c, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0)
                throw Error(errnum::PathNotFound, "Cannot read the password from " + source + ": " + std::strerror(errno));
            if (n == 0 || c == '\n') break;
            // Past this the typing cannot be a password; the rest of the line is read and dropped.
            if (password.size() <= kMaxPasswordBytes) password += c;
        }
    }
    std::fputc('\n', stderr);  // the Enter the terminal did not show
    return Finished(std::move(password), source);
}

std::string ReadPasswordFromStandardInput() {
    if (StandardInputClosed()) throw Error(kPasswordRefused, "No password: standard input is closed.");
    return ReadPassword(STDIN_FILENO, "standard input");
}

std::string ReadPasswordFile(const std::string& path) {
    // Not blocking on a pipe or device that was named by mistake: it is
    // refused below, after a look at what was opened.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        const int err = errno;
        if (err == ENOENT) throw Error(errnum::FileNotFound, "Password file not found: " + path);
        throw Error(errnum::PathNotFound, "Cannot open the password file " + path + ": " + std::strerror(err));
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw Error(errnum::PathNotFound, "Cannot read the password file " + path + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw Error(kPasswordRefused, "The password file " + path + " is not a regular file; it is not read.");
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        throw Error(kPasswordRefused, "The password file " + path + " is open to other users (permissions " +
                                          OctalMode(info.st_mode) +
                                          "); it is not read. Make it private to its owner: chmod 600 " + path);
    }
    return ReadPassword(file.get(), "the password file " + path);
}

}  // namespace orvane
