#include "InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane {
namespace {

// Set once, at the start of main, before any other thread runs.
bool standardInputClosedAtStart = false;

[[noreturn]] void ThrowSystem(int err) { throw InputFileError(InputFileError::Cause::System, std::strerror(err)); }

[[noreturn]] void ThrowNotAFile(const struct stat& info, const char* subject) {
    const char* what = S_ISDIR(info.st_mode)                             ? "a folder"
                       : S_ISFIFO(info.st_mode)                          ? "a pipe"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                       : S_ISSOCK(info.st_mode)                          ? "a socket"
                                                                         : "something else";
    throw InputFileError(InputFileError::Cause::NotAFile, std::string(subject) + " is " + what + ", not a file");
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd > 2) ::close(fd);
    }
};

// Everything from fd, but at most maxBytes + 1 bytes: one more than allowed
// is enough to know that there is too much.
std::string ReadAtMost(int fd, std::size_t maxBytes, std::size_t expected = 0) {
    std::string bytes;
    bytes.reserve(std::min(expected, maxBytes) + 1);  // no second copy while it grows
    char buffer[1 << 16];
    while (bytes.size() <= maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes + 1 - bytes.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowSystem(errno);
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

}  // namespace

std::string ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) ThrowSystem(errno);
    if (!S_ISREG(info.st_mode)) ThrowNotAFile(info, "it");
    const auto tooLarge = [] { throw InputFileError(InputFileError::Cause::TooLarge, "it is too large"); };
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) tooLarge();
    // Looked at again once open: the path may have been replaced meanwhile.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) ThrowSystem(errno);
    if (::fstat(file.fd, &info) != 0) ThrowSystem(errno);
    if (!S_ISREG(info.st_mode)) ThrowNotAFile(info, "it");
    std::string bytes = ReadAtMost(file.fd, maxBytes, static_cast<std::size_t>(info.st_size));
    if (bytes.size() > maxBytes) tooLarge();
    return bytes;
}

void HoldClosedStandardInput() {
    if (::fcntl(STDIN_FILENO, F_GETFD) >= 0 || errno != EBADF) return;
    standardInputClosedAtStart = true;
    // The lowest free descriptor: 0.
    const int held = ::open("/dev/null", O_RDONLY | O_NOCTTY);
    if (held > STDIN_FILENO) ::close(held);
}

bool StandardInputClosed() {
    return standardInputClosedAtStart || (::fcntl(STDIN_FILENO, F_GETFD) < 0 && errno == EBADF);
}

std::string ReadStandardInput(std::size_t maxBytes) {
    if (StandardInputClosed()) throw InputFileError(InputFileError::Cause::Closed, "standard input is closed");
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0) ThrowSystem(errno);
    if (S_ISDIR(info.st_mode)) ThrowNotAFile(info, "standard input");
    std::string bytes = ReadAtMost(STDIN_FILENO, maxBytes);
    if (bytes.size() > maxBytes) throw InputFileError(InputFileError::Cause::TooLarge, "standard input is too large");
    return bytes;
}

}  // namespace orvane
