#include "TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "App.h"
#include "Error.h"

namespace orvane {
namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra;
    char32_t cp;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
    else return 0;
    if (i + extra >= s.size()) return 0;
    for (std::size_t k = 1; k <= extra; ++k) {
        auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr std::array<char32_t, 4> minimum{0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return extra + 1;
}

// How much of the bytes looks like UTF-8: the sequences of two to four
// bytes that are well formed, and the bytes that start none.
struct Utf8Census {
    std::size_t multiByte = 0;
    std::size_t invalid = 0;
};

Utf8Census CountUtf8(std::string_view s) {
    Utf8Census census;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = Utf8SequenceLength(s, i);
        if (length == 0) {
            ++census.invalid;
            ++i;
        } else {
            census.multiByte += length > 1;
            i += length;
        }
    }
    return census;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 after its byte-order mark. Unpaired surrogates and a dangling odd
// byte become U+FFFD, so nothing stops the reader and no NUL gets through.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    constexpr char32_t kReplacement = 0xFFFD;
    auto unit = [&](std::size_t i) -> char32_t {
        auto b0 = static_cast<unsigned char>(bytes[i]);
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char32_t(b0 << 8 | b1) : char32_t(b1 << 8 | b0);
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
    if (i < bytes.size()) AppendUtf8(out, kReplacement);
    return out;
}

// UTF-8 where a byte that starts no well-formed sequence becomes U+FFFD;
// where each replacement went is noted.
void DecodeDamagedUtf8(std::string_view bytes, DecodedText& decoded) {
    std::string& out = decoded.text;
    out.reserve(bytes.size() + 16);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) {
            decoded.replaced.push_back(out.size());
            AppendUtf8(out, 0xFFFD);
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
}

// Windows-1252 0x80..0x9F; the five unassigned bytes map to themselves.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

[[noreturn]] void ThrowNotReadable(const std::string& path, int err) {
    if (err == ENOENT) throw Error(errnum::FileNotFound, "File not found: " + path);
    throw Error(errnum::PathNotFound, "Cannot open " + path + ": " + std::strerror(err));
}

[[noreturn]] void ThrowNotAFile(const std::string& path, const struct stat& info) {
    const char* what = S_ISDIR(info.st_mode)    ? "a folder"
                       : S_ISFIFO(info.st_mode) ? "a pipe"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "not a regular file";
    throw Error(errnum::PathNotFound, "Cannot read " + path + ": it is " + what + ", not a text file.");
}

[[noreturn]] void ThrowTooLarge(const std::string& path) {
    throw Error(errnum::PathNotFound, "Cannot read " + path + ": it is larger than " +
                                          std::to_string(kMaxTextFileBytes >> 20) + " MB, too large for a list.");
}

// Closes the descriptor on every way out.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() { ::close(fd); }
};

// The bytes of a regular file of at most kMaxTextFileBytes. The kind is
// looked at before the file is opened, and again on the open descriptor
// (the path may have been replaced in between); O_NONBLOCK keeps the open
// of a FIFO from waiting for a writer.
std::string ReadListFile(const std::string& path) {
    const std::string native = App::NativePath(path);
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) ThrowNotReadable(path, errno);
    if (!S_ISREG(info.st_mode)) ThrowNotAFile(path, info);
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxTextFileBytes) ThrowTooLarge(path);

    const FileDescriptor file{::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) ThrowNotReadable(path, errno);
    if (::fstat(file.fd, &info) != 0) ThrowNotReadable(path, errno);
    if (!S_ISREG(info.st_mode)) ThrowNotAFile(path, info);

    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Error(errnum::PathNotFound, "Cannot read " + path + ": " + std::strerror(errno));
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > kMaxTextFileBytes) ThrowTooLarge(path);  // grew meanwhile
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

}  // namespace

DecodedText DecodeTextMarked(std::string bytes) {
    DecodedText decoded;
    auto noteReplacements = [&] {
        for (std::size_t at = decoded.text.find("\xEF\xBF\xBD"); at != std::string::npos;
             at = decoded.text.find("\xEF\xBF\xBD", at + 3))
            decoded.replaced.push_back(at);
    };
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        // Only an unpaired surrogate or an odd byte gives U+FFFD here...
        decoded.text = DecodeUtf16(std::string_view(bytes).substr(2), bytes[0] == '\xFE');
        noteReplacements();  // ...or one written in the file: both are worth a look.
        return decoded;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        DecodeDamagedUtf8(std::string_view(bytes).substr(3), decoded);
        return decoded;
    }
    const Utf8Census census = CountUtf8(bytes);
    if (census.invalid == 0) {
        decoded.text = std::move(bytes);
    } else if (census.multiByte > 0 && census.invalid <= census.multiByte) {
        // UTF-8 with a few stray bytes: text in any other encoding almost
        // never forms a well-formed sequence, let alone as many as it has
        // bytes that are not UTF-8.
        DecodeDamagedUtf8(bytes, decoded);
    } else {
        decoded.text = DecodeWindows1252(bytes);
    }
    return decoded;
}

std::string DecodeText(std::string bytes) { return DecodeTextMarked(std::move(bytes)).text; }

std::string DecodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c <= 0x9F)
            AppendUtf8(out, kCp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

TextFile::TextFile(const std::string& path) { text_ = DecodeText(ReadListFile(path)); }

TextFile TextFile::FromBytes(std::string bytes) {
    TextFile file;
    file.text_ = DecodeText(std::move(bytes));
    return file;
}

std::string TextFile::ReadLine() {
    if (AtEndOfFile()) throw Error(62, "Input past end of file");
    std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string::npos) {
        std::string line = text_.substr(pos_);
        pos_ = text_.size();
        return line;
    }
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return line;
}

}  // namespace orvane
