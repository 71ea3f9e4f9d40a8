#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace orvane {

// Writes a whole file so that nothing found under its name or beside it is
// harmed, and says which file failed and why.
//
// - A regular file (new or existing) is written under a private name that
//   nobody can guess, made exclusively in the same folder, and put in place
//   by a rename only when complete and on disk. An existing file keeps its
//   mode (and its owner where the user may keep it); a new one gets the
//   mode the umask gives.
// - A FIFO, a terminal or another character device is written into
//   directly and never replaced; so is standard output named as a file
//   (/dev/stdout, /dev/fd/N, /proc/.../fd/N).
// - A folder, a disk device or a socket is refused.
// - A symbolic link is followed when it belongs to the user or to root (a
//   link of the system, like /dev/stdout), and refused when another user
//   planted it.
//
// Every failure is an orvane::Error numbered 75 (Path/File access) whose
// description names the file and the cause, e.g. "No space left on device
// while writing /home/ann/x.vcf".
class SafeFileWriter {
public:
    explicit SafeFileWriter(const std::string& path);
    // The process's standard output; refused at once when it is closed.
    static SafeFileWriter StandardOutput();
    // Removes the temporary file of a write that was not committed.
    ~SafeFileWriter();
    SafeFileWriter(SafeFileWriter&&) noexcept;
    SafeFileWriter& operator=(SafeFileWriter&&) noexcept;

    // Where the content goes; it fails (badbit) at the first failed write.
    std::ostream& Stream();
    // Throws the error of the first failed write, if one happened.
    void ThrowIfFailed() const;
    // Writes what is buffered, brings it to disk and puts the file in place.
    void Commit();

    // Whether path names the file that standard output is open on.
    static bool IsStandardOutput(const std::string& path);

private:
    struct Impl;
    explicit SafeFileWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane
