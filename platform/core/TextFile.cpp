#include "TextFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

#include "App.h"
#include "Error.h"

namespace orvane {
namespace {

bool IsValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        char32_t cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr std::array<char32_t, 4> minimum{0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
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

// Windows-1252 0x80..0x9F; the five unassigned bytes map to themselves.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string DecodeText(std::string bytes) {
    if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(std::string_view(bytes).substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(std::string_view(bytes).substr(2), true);
    if (IsValidUtf8(bytes)) {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
        return bytes;
    }
    return DecodeWindows1252(bytes);
}

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

TextFile::TextFile(const std::string& path) {
    std::ifstream in(App::NativePath(path), std::ios::binary);
    if (!in) {
        int err = errno;
        if (err == ENOENT) throw Error(errnum::FileNotFound, "File not found: " + path);
        throw Error(errnum::PathNotFound, "Cannot open " + path + ": " + std::strerror(err));
    }
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw Error(errnum::PathNotFound, "Cannot read " + path);
    text_ = DecodeText(std::move(bytes));
}

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
