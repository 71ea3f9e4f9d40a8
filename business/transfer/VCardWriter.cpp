#include "transfer/VCardWriter.h"

#include <cstdio>

#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {
constexpr std::size_t kMaxOctets = 75;

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::string StableUid(std::int32_t id) {
    // A version 8 (vendor-defined) UUID: a fixed prefix, the ID in the last
    // twelve hex digits.
    char uid[64];
    std::snprintf(uid, sizeof uid, "urn:uuid:6f72766e-6164-8472-8000-%012llx",
                  static_cast<unsigned long long>(static_cast<std::uint32_t>(id)));
    return uid;
}

std::string FoldContentLine(std::string_view line) {
    std::string out;
    out.reserve(line.size() + line.size() / 25 + 2);
    std::size_t limit = kMaxOctets;  // the first line has 75 octets, the others a blank and 74
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && IsContinuationByte(line[cut])) --cut;
        if (cut == 0) cut = limit;  // no character starts in reach (bytes that are not UTF-8): cut at the limit
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = kMaxOctets - 1;
    }
    out.append(line);
    out += "\r\n";
    return out;
}

VCardWriter::VCardWriter(std::ostream& out, VCardVersion version) : out_(out), version_(version) {}

void VCardWriter::Line(std::string_view line) { out_ << FoldContentLine(line); }

// 3.0 escapes ';' in every text; 4.0 only in structured values, where it
// separates components. Newlines of any kind become "\n".
std::string VCardWriter::Escape(std::string_view value, bool structured) const {
    const bool semicolons = structured || version_ == VCardVersion::V30;
    std::string out;
    out.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\': out += "\\\\"; break;
            case ',': out += "\\,"; break;
            case ';': out += semicolons ? "\\;" : ";"; break;
            case '\r':
                if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
                out += "\\n";
                break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
    return out;
}

void VCardWriter::Write(std::int32_t id, const AddressFields& fields) {
    Line("BEGIN:VCARD");
    Line(version_ == VCardVersion::V40 ? "VERSION:4.0" : "VERSION:3.0");
    Line("PRODID:-//Orvane//Address Book//EN");
    Line("N:" + Escape(fields[kLastName], true) + ";" + Escape(fields[kFirstName], true) + ";;;");
    Line("FN:" + Escape(text::JoinNonEmpty({fields[kFirstName], fields[kLastName]}, " "), false));
    if (!fields[kStreet].empty() || !fields[kPostalCode].empty() || !fields[kState].empty() ||
        !fields[kCountry].empty())
        Line("ADR:;;" + Escape(fields[kStreet], true) + ";;" + Escape(fields[kState], true) + ";" +
             Escape(fields[kPostalCode], true) + ";" + Escape(fields[kCountry], true));
    // 4.0 would take a bare TEL as text too; saying so keeps a phone that
    // happens to begin with "tel:" from being read as a URI.
    if (!fields[kPhone].empty())
        Line((version_ == VCardVersion::V40 ? "TEL;VALUE=text:" : "TEL:") + Escape(fields[kPhone], false));
    Line("UID:" + StableUid(id));
    Line("END:VCARD");
}

}  // namespace orvane::transfer
