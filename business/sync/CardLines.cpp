#include "sync/CardLines.h"

#include "transfer/VCardProperty.h"

namespace orvane::sync {
namespace {

// The physical line at pos without its line end, and where the next begins.
std::string_view PhysicalLine(std::string_view text, std::size_t pos, std::size_t& next) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
        next = text.size();
        return text.substr(pos);
    }
    next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    return text.substr(pos, end - pos);
}

}  // namespace

std::vector<CardLine> SplitCardLines(std::string_view text) {
    std::vector<CardLine> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        CardLine line;
        line.begin = pos;
        line.unfolded.assign(PhysicalLine(text, pos, pos));
        const bool quotedPrintable = transfer::IsQuotedPrintableLine(line.unfolded);
        while (pos < text.size()) {
            std::size_t after = 0;
            const std::string_view next = PhysicalLine(text, pos, after);
            if (quotedPrintable && !line.unfolded.empty() && line.unfolded.back() == '=') {
                // A soft line break of quoted-printable: the value goes on.
                line.unfolded.pop_back();
                line.unfolded += next;
            } else if (!next.empty() && (next.front() == ' ' || next.front() == '\t')) {
                line.unfolded += next.substr(1);
            } else {
                break;
            }
            pos = after;
        }
        line.end = pos;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string LineEndOf(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos || text[end] == '\r') return "\r\n";
    return "\n";
}

}  // namespace orvane::sync

namespace orvane::sync {

std::string CardUid(std::string_view text) {
    for (const CardLine& line : SplitCardLines(text)) {
        const auto property = transfer::VCardProperty::Parse(line.unfolded, 0);
        if (property && property->Name() == "UID") {
            const std::string& value = property->RawValue();
            const std::size_t first = value.find_first_not_of(" \t");
            if (first == std::string::npos) return {};
            return value.substr(first, value.find_last_not_of(" \t") + 1 - first);
        }
        if (property && property->Name() == "END") break;
    }
    return {};
}

}  // namespace orvane::sync
