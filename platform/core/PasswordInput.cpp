#include "core/PasswordInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/Error.h"

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

std::string ReadPasswordFromStandardInput() {
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
