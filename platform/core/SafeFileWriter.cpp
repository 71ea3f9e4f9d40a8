#include "core/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Error.h"
#include "core/detail/DescriptorBuffer.h"

namespace orvane {
namespace {

constexpr std::int32_t kPathFileAccess = 75;
// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
// Of a file name's 255 bytes, what a temporary name keeps of the target's.
constexpr std::size_t kMaxTemporaryBase = 200;

[[noreturn]] void Refuse(const std::string& what) { throw Error(kPathFileAccess, "Path/File access error: " + what); }

[[noreturn]] void Fail(int error, const std::string& name) {
    Refuse(std::system_category().message(error) + " while writing " + name);
}

// The mode a new file gets: 0666 less the umask. Read from /proc where it
// can be, so the process's umask is never changed, even for a moment.
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0) return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// Standard output or another open descriptor of the process, named as a
// file (/dev/stdout, /dev/fd/1, /proc/self/fd/1, or a link to one): written
// into as it is open, whatever it is.
bool NamesAnOpenDescriptor(const std::string& path) {
    const auto isDescriptorPath = [](const std::string& name) {
        const std::string normal = std::filesystem::path(name).lexically_normal().string();
        for (const char* prefix : {"/dev/stdout", "/dev/stderr", "/dev/fd/", "/proc/"})
            if (normal.rfind(prefix, 0) == 0) return true;
        return false;
    };
    if (isDescriptorPath(path)) return true;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    return length > 0 && isDescriptorPath(target.substr(0, static_cast<std::size_t>(length)));
}

}  // namespace

struct SafeFileWriter::Impl {
    std::string name;   // for messages: the path as given, or "standard output"
    int fd = -1;
    bool ownsFd = true;
    std::string temporary;  // empty when writing into the target directly
    std::string target;     // the file the temporary one replaces
    mode_t mode = 0;
    bool existing = false;
    uid_t uid = 0;
    gid_t gid = 0;
    detail::DescriptorBuffer buffer;
    std::ostream stream{&buffer};

    explicit Impl(std::string shownName) : name(std::move(shownName)) {}
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (fd >= 0 && ownsFd) ::close(fd);
        if (!temporary.empty()) ::unlink(temporary.c_str());
    }

    void Open(const std::string& path, int links);
    void OpenDirectly(const std::string& path, bool followLink);
    void OpenBeside(const std::string& file, const struct stat* found);
    void Attach(int descriptor) {
        fd = descriptor;
        buffer.Attach(fd);
    }
};

void SafeFileWriter::Impl::Open(const std::string& path, int links) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) Fail(errno, name);
        return OpenBeside(path, nullptr);
    }
    bool followLink = false;
    if (S_ISLNK(st.st_mode)) {
        // A link planted by another user (in /tmp, say) must not steer the
        // write; the user's own links and the system's are followed.
        if (st.st_uid != ::geteuid() && st.st_uid != 0)
            Refuse(name + " is a symbolic link of another user; it is not followed");
        if (::stat(path.c_str(), &st) != 0) {
            if (errno != ENOENT || links >= kMaxLinks) Fail(errno, name);
            // The user's link to a file yet to be made: make that file.
            std::string next(PATH_MAX, '\0');
            const ssize_t length = ::readlink(path.c_str(), next.data(), next.size());
            if (length < 0) Fail(errno, name);
            next.resize(static_cast<std::size_t>(length));
            const std::filesystem::path hop = std::filesystem::path(path).parent_path() / next;
            return Open(hop.string(), links + 1);
        }
        if (S_ISREG(st.st_mode) && !NamesAnOpenDescriptor(path)) {
            char* real = ::realpath(path.c_str(), nullptr);
            if (!real) Fail(errno, name);
            const std::string resolved = real;
            std::free(real);
            return OpenBeside(resolved, &st);
        }
        followLink = true;
    }
    if (S_ISDIR(st.st_mode)) Refuse(name + " is a folder, not a file");
    if (S_ISREG(st.st_mode) && !followLink) return OpenBeside(path, &st);
    if (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) return OpenDirectly(path, followLink);
    Refuse(name + " is a disk device or a socket, not a file");
}

// Into a FIFO, a terminal or a device as it is: nothing is made or renamed.
// Appending keeps what a shell's ">>" put before standard output.
void SafeFileWriter::Impl::OpenDirectly(const std::string& path, bool followLink) {
    const int flags = O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int opened;
    do opened = ::open(path.c_str(), flags);
    while (opened < 0 && errno == EINTR);
    if (opened < 0) Fail(errno, name);
    Attach(opened);
}

// A private file nobody can guess or plant, in the target's own folder so
// the rename stays on one file system.
void SafeFileWriter::Impl::OpenBeside(const std::string& file, const struct stat* found) {
    target = file;
    const std::filesystem::path path(file);
    // Shortened, so a name near the longest allowed still gets a temporary one.
    const std::string base = path.filename().string().substr(0, kMaxTemporaryBase);
    std::string pattern = (path.parent_path() / ("." + base + ".XXXXXX")).string();
    const int made = ::mkostemp(pattern.data(), O_CLOEXEC);  // O_CREAT|O_EXCL, mode 0600
    if (made < 0) Fail(errno, name);
    temporary = pattern;
    Attach(made);
    existing = found != nullptr;
    if (existing) {
        mode = found->st_mode & 07777;
        uid = found->st_uid;
        gid = found->st_gid;
    } else {
        mode = NewFileMode();
    }
}

SafeFileWriter::SafeFileWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SafeFileWriter::SafeFileWriter(const std::string& path) : impl_(std::make_unique<Impl>(path)) {
    if (path.empty()) Fail(ENOENT, "an empty file name");
    impl_->Open(path, 0);
}

SafeFileWriter SafeFileWriter::StandardOutput() {
    // Closed (">&-"), or taken by a file opened for reading only since.
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) Refuse("standard output is closed");
    auto impl = std::make_unique<Impl>("standard output");
    impl->ownsFd = false;
    impl->Attach(STDOUT_FILENO);
    return SafeFileWriter(std::move(impl));
}

SafeFileWriter::~SafeFileWriter() = default;
SafeFileWriter::SafeFileWriter(SafeFileWriter&&) noexcept = default;
SafeFileWriter& SafeFileWriter::operator=(SafeFileWriter&&) noexcept = default;

std::ostream& SafeFileWriter::Stream() { return impl_->stream; }

void SafeFileWriter::ThrowIfFailed() const {
    if (impl_->buffer.Error() != 0) Fail(impl_->buffer.Error(), impl_->name);
}

void SafeFileWriter::Commit() {
    Impl& file = *impl_;
    if (!file.buffer.Drain()) Fail(file.buffer.Error(), file.name);
    if (file.temporary.empty()) {
        if (!file.ownsFd) return;
        const int fd = file.fd;
        file.fd = -1;
        if (::close(fd) != 0 && errno != EINTR) Fail(errno, file.name);
        return;
    }
    // The owner first: a change of owner clears set-ID bits the mode may
    // then set again. Another user's file stays theirs only where the user
    // may give it to them (root); otherwise the export becomes the user's.
    if (file.existing && ::fchown(file.fd, file.uid, file.gid) != 0) {
        if (errno != EPERM) Fail(errno, file.name);
        if (::fchown(file.fd, static_cast<uid_t>(-1), file.gid) != 0 && errno != EPERM) Fail(errno, file.name);
    }
    if (::fchmod(file.fd, file.mode) != 0) Fail(errno, file.name);
    if (::fsync(file.fd) != 0) Fail(errno, file.name);
    const int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) Fail(errno, file.name);
    if (::rename(file.temporary.c_str(), file.target.c_str()) != 0) Fail(errno, file.name);
    file.temporary.clear();
    // The rename itself reaches the disk with the folder.
    const std::string folder = std::filesystem::path(file.target).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) Fail(errno, file.name);
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(dir);
    if (!synced) Fail(error, file.name);
}

bool SafeFileWriter::IsStandardOutput(const std::string& path) {
    struct stat out {}, named {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(path.c_str(), &named) == 0 && out.st_dev == named.st_dev &&
           out.st_ino == named.st_ino;
}

}  // namespace orvane
