#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Sequential text input: open for reading, read one line, end-of-file test,
// close. A line ends at CR LF, a lone CR or a lone LF; a line end at the
// very end of the file gives no further empty line. The bytes are decoded
// by DecodeText below.
// Far more than any list the program reads; a larger file is refused
// rather than read into memory.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{64} << 20;

class TextFile {
public:
    // Reads the whole file; a missing or unreadable file, anything that is
    // not a regular file (a folder, a pipe, a device) and a file larger than
    // kMaxTextFileBytes are errors that name the path.
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

// Bytes decoded to UTF-8, and the offsets in the text of each U+FFFD that
// stands for bytes that were not text.
struct DecodedText {
    std::string text;
    std::vector<std::size_t> replaced;  // ascending
};

// Decodes bytes to UTF-8: UTF-16 LE or BE after its byte-order mark; UTF-8
// after its mark; UTF-8 as it is; UTF-8 with a few stray bytes (no more
// than it has well-formed sequences of two or more bytes) with each stray
// byte as U+FFFD; anything else as Windows-1252.
DecodedText DecodeTextMarked(std::string bytes);
std::string DecodeText(std::string bytes);

// Decodes bytes that are known to be Windows-1252 (or ISO 8859-1) to UTF-8.
std::string DecodeWindows1252(std::string_view bytes);

}  // namespace orvane
