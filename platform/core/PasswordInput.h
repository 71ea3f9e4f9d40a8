#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

// Error number for a password the program refuses to take (an empty one, or
// one from a file that is not private to its owner); a missing file is
// errnum::FileNotFound, an unreadable one errnum::PathNotFound.
inline constexpr std::int32_t kPasswordRefused = 20010;

// More than any password; a longer input is refused rather than read on.
inline constexpr std::size_t kMaxPasswordBytes = 64 * 1024;

// Passwords given to a command-line program. Everything up to the end of the
// input is the password, except one line end (LF or CR LF) at the very end,
// which the shell or editor put there. An empty password is refused. No
// error's description ever holds the password.

// From an open file descriptor, read to its end; `source` names it in errors.
std::string ReadPassword(int fd, const std::string& source);

// From standard input (e.g. `printf '%s' "$PW" | program --password-stdin`).
std::string ReadPasswordFromStandardInput();

// Whether standard input is a terminal (a person typing, not a pipe or file).
bool StandardInputIsTerminal();

// From the terminal on standard input, as a person types it: the prompt goes
// to standard error, what is typed is not shown, and one line (ended by
// Enter) is the password. The terminal's settings come back however the
// reading ends, an interrupt included.
std::string ReadPasswordFromTerminal(const std::string& prompt);

// From a file, which must be a regular file that only its owner may read or
// change: a file with any group or other permission bit is refused, with a
// message that names it and says how to make it private.
std::string ReadPasswordFile(const std::string& path);

}  // namespace orvane
