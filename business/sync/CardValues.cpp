#include "sync/CardValues.h"

#include <algorithm>

#include "core/TextFile.h"
#include "transfer/TextTools.h"

namespace orvane::sync {

std::string EscapeCardText(std::string_view value, transfer::VCardVersion version, bool structured) {
    using transfer::VCardVersion;
    // 2.1 knows no ',' lists and no "\n"; 4.0 escapes ';' only where it
    // separates components.
    const bool semicolons = structured || version != VCardVersion::V40;
    const bool commas = version != VCardVersion::V21;
    std::string out;
    out.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\') out += "\\\\";
        else if (c == ',' && commas) out += "\\,";
        else if (c == ';' && semicolons) out += "\\;";
        else if ((c == '\r' || c == '\n') && version != VCardVersion::V21) {
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
            out += "\\n";
        } else out += c;
    }
    return out;
}

bool NeedsQuotedPrintable(std::string_view value) {
    return value.find_first_of("\r\n") != std::string_view::npos;
}

std::string EncodeQuotedPrintable(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '=') {
            out += '=';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitRawComponents(std::string_view value) {
    std::vector<std::string> components(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            components.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == ';') {
            components.emplace_back();
        } else {
            components.back() += value[i];
        }
    }
    return components;
}

std::string JoinRawComponents(const std::vector<std::string>& components) {
    std::string out;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0) out += ';';
        out += components[i];
    }
    return out;
}

LineParts SplitContentLine(std::string_view line) {
    // The colon that ends the head, found as the property parser finds it.
    const std::size_t nameEnd = line.find_first_of(";:");
    if (nameEnd == std::string_view::npos) return {std::string(line), {}};
    std::size_t colon = line[nameEnd] == ':' ? nameEnd : transfer::text::FindOutsideQuotes(line, ":", nameEnd);
    if (colon == std::string_view::npos) colon = line.find(':', nameEnd);
    if (colon == std::string_view::npos) return {std::string(line), {}};
    return {std::string(line.substr(0, colon)), std::string(line.substr(colon + 1))};
}

std::string WithoutParameters(std::string_view head, const std::vector<std::string_view>& names) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = transfer::text::FindOutsideQuotes(head, ";", start);
        pieces.push_back(head.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    std::string out(pieces.front());
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const std::string_view piece = pieces[i];
        const std::string_view name = transfer::text::Trim(piece.substr(0, piece.find('=')));
        const bool dropped = std::any_of(names.begin(), names.end(),
                                         [&](std::string_view n) { return transfer::text::EqualsNoCase(n, name); });
        if (dropped) continue;
        out += ';';
        out += piece;
    }
    return out;
}

namespace {
// The length of the valid UTF-8 sequence at the start of bytes, or 0.
std::size_t Utf8SequenceLength(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF) return 0;
    return length;
}
}  // namespace

std::string AsUtf8(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    while (!value.empty()) {
        const std::size_t length = Utf8SequenceLength(value);
        if (length == 0) {
            out += DecodeWindows1252(value.substr(0, 1));
            value.remove_prefix(1);
        } else {
            out.append(value.substr(0, length));
            value.remove_prefix(length);
        }
    }
    return out;
}

}  // namespace orvane::sync
