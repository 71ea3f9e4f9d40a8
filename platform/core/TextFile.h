#pragma once

#include <cstddef>
#include <string>

namespace orvane {

// Sequential text input: open for reading, read one line, end-of-file test,
// close. A line ends at CR LF, a lone CR or a lone LF; a line end at the
// very end of the file gives no further empty line. Text that is valid
// UTF-8 is taken as it is; anything else is read as Windows-1252.
class TextFile {
public:
    // Opens the file; a missing or unreadable file is an error.
    explicit TextFile(const std::string& path);
    // Reads lines from bytes already in memory (as if they were a file).
    static TextFile FromBytes(std::string bytes);

    bool AtEndOfFile() const noexcept { return pos_ >= text_.size(); }
    // Reads the next line without its line end; at end of file, an error.
    std::string ReadLine();

private:
    TextFile() = default;
    std::string text_;  // whole file, already UTF-8
    std::size_t pos_ = 0;
};

// Decodes bytes: valid UTF-8 (an optional BOM removed) passes through,
// anything else is taken as Windows-1252 and converted to UTF-8.
std::string DecodeText(std::string bytes);

}  // namespace orvane
