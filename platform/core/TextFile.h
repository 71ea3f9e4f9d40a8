#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Sequential text input: open for reading, read one line, end-of-file test,
// close. A line ends at CR LF, a lone CR or a lone LF; a line end at the
// very end of the file gives no further empty line. The bytes are decoded
// by DecodeText below.
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

// Decodes bytes to UTF-8: UTF-16 LE or BE after its byte-order mark; valid
// UTF-8 (an optional BOM removed) as it is; anything else as Windows-1252.
std::string DecodeText(std::string bytes);

// Decodes bytes that are known to be Windows-1252 (or ISO 8859-1) to UTF-8.
std::string DecodeWindows1252(std::string_view bytes);

}  // namespace orvane
