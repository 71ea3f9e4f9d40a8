#pragma once

#include <cstddef>
#include <string>

#include "Error.h"

namespace orvane {

// Why an input was not read. The description is the cause in words, to
// follow the name of the input: "it is a folder, not a file", "No such
// file or directory".
class InputFileError : public Error {
public:
    enum class Cause { System, Closed, NotAFile, TooLarge };
    InputFileError(Cause cause, const std::string& words)
        : Error(cause == Cause::System || cause == Cause::Closed ? errnum::PathNotFound : errnum::InvalidFileFormat,
                words),
          cause_(cause) {}
    Cause Why() const noexcept { return cause_; }

private:
    Cause cause_;
};

// The bytes of the regular file at path (used as given), of at most
// maxBytes. A folder, pipe, device or socket is refused before anything is
// read (a pipe's open never waits for a writer), and no more than maxBytes
// + 1 bytes are ever read, even from a file that grows.
std::string ReadRegularFile(const std::string& path, std::size_t maxBytes);

// Standard input, whatever it is (a pipe, a terminal, a file) but a
// folder, read up to maxBytes; more is refused after reading maxBytes + 1.
// A closed one is refused as closed (Cause::Closed).
std::string ReadStandardInput(std::size_t maxBytes);

// To be called first in main, before any file is opened: a standard input
// the program was started without (`<&-`) is then held on /dev/null, so
// that no file opened later becomes descriptor 0 and is read in its place
// (SQLite, for one, opens /dev/null there itself), and is still known as
// closed.
void HoldClosedStandardInput();

// Whether standard input was closed when the program started (as far as
// HoldClosedStandardInput saw), or is closed now.
bool StandardInputClosed();

}  // namespace orvane
