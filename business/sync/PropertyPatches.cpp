#include "sync/PropertyPatches.h"

#include <algorithm>
#include <utility>

#include "sync/CardValues.h"
#include "transfer/TextTools.h"

namespace orvane::sync {
namespace {
using transfer::AddressFields;
using transfer::VCardProperty;
using transfer::VCardVersion;
namespace text = transfer::text;

// A content line from a head and an escaped value; in 2.1 a value with a
// line break goes out quoted-printable as UTF-8 (stray bytes kept from the
// card read as Windows-1252, see AsUtf8). A head that asked for
// quoted-printable before loses that (the value is written anew).
std::string Rebuild(std::string head, bool wasQuotedPrintable, VCardVersion version, const std::string& value) {
    const bool quoted = version == VCardVersion::V21 && NeedsQuotedPrintable(value);
    if (wasQuotedPrintable || quoted) head = WithoutParameters(head, {"ENCODING", "CHARSET", "QUOTED-PRINTABLE"});
    // A head kept as it stands is read as the card had it: closing a quote
    // it left open would change which parameters a reader sees (and so
    // which property it takes).
    if (!quoted) return head + ":" + value;
    // A quote the card never closed would take in the parameters added here.
    if (std::count(head.begin(), head.end(), '"') % 2 != 0) head += '"';
    return head + ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + EncodeQuotedPrintable(AsUtf8(value));
}

std::string Rebuild(std::string_view line, const VCardProperty& property, VCardVersion version,
                    const std::string& value) {
    return Rebuild(SplitContentLine(line).head, property.IsQuotedPrintable(), version, value);
}

// The value with quoted-printable undone and escapes kept, ready to be split
// into components and written plainly.
std::string RawValue(const VCardProperty& property, VCardVersion version) {
    if (!property.IsQuotedPrintable()) return property.RawValue();
    transfer::ImportedCard scratch;
    const std::string decoded = property.DecodedValue(scratch);
    if (version == VCardVersion::V21) return decoded;
    std::string out;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == '\r' && i + 1 < decoded.size() && decoded[i + 1] == '\n') ++i;
        if (decoded[i] == '\r' || decoded[i] == '\n') out += "\\n";
        else out += decoded[i];
    }
    return out;
}

std::string Joined(const std::vector<std::string>& values, std::string_view separator) {
    return text::JoinNonEmpty(values, separator);
}

std::string Structured(std::string_view value, VCardVersion version) { return EscapeCardText(value, version, true); }

// s without piece at its start (followed by ", " or nothing); false when it is not there.
bool StripFront(std::string& s, const std::string& piece) {
    if (piece.empty()) return true;
    if (s == piece) s.clear();
    else if (s.starts_with(piece + ", ")) s.erase(0, piece.size() + 2);
    else return false;
    return true;
}

bool StripBack(std::string& s, const std::string& piece) {
    if (piece.empty()) return true;
    if (s == piece) s.clear();
    else if (s.ends_with(", " + piece)) s.erase(s.size() - piece.size() - 2);
    else return false;
    return true;
}

// "+1-555-0100" or "+1-555-0100 ext. 12", as the reader shows a tel: URI.
bool IsTelUriNumber(std::string_view phone, std::string& uri) {
    std::string_view number = phone;
    std::string_view extension;
    if (const std::size_t ext = phone.rfind(" ext. "); ext != std::string_view::npos) {
        number = phone.substr(0, ext);
        extension = phone.substr(ext + 6);
        if (extension.empty() || extension.find_first_not_of("0123456789") != std::string_view::npos) return false;
    }
    if (number.empty() || number.find_first_not_of("0123456789+-.()") != std::string_view::npos) return false;
    uri = "tel:" + std::string(number);
    if (!extension.empty()) uri += ";ext=" + std::string(extension);
    return true;
}

}  // namespace

std::string PatchName(std::string_view line, const VCardProperty& n, VCardVersion version,
                      const AddressFields& fields, NameParts& parts) {
    transfer::ImportedCard scratch;
    auto parsed = n.Components(version, scratch);
    parsed.resize(std::max<std::size_t>(parsed.size(), 5));
    auto raw = SplitRawComponents(RawValue(n, version));
    raw.resize(std::max<std::size_t>(raw.size(), 5));
    parts.prefix = Joined(parsed[3], " ");
    parts.suffix = Joined(parsed[4], " ");

    const std::string& last = fields[transfer::kLastName];
    const std::string& first = fields[transfer::kFirstName];
    if (Joined(parsed[0], " ") != last) raw[0] = Structured(last, version);
    const std::string additional = Joined(parsed[2], " ");
    if (text::JoinNonEmpty({Joined(parsed[1], " "), additional}, " ") != first) {
        // The reader shows given and additional names as one first name:
        // keep the additional names when the new first name still ends with them.
        std::string given = first;
        if (!additional.empty() && given.ends_with(additional)) given.resize(given.size() - additional.size());
        if (!given.empty() && given.back() == ' ') given.pop_back();
        if (!additional.empty() && text::JoinNonEmpty({given, additional}, " ") == first) {
            raw[1] = Structured(given, version);
        } else {
            raw[1] = Structured(first, version);
            raw[2].clear();
        }
    }
    return Rebuild(line, n, version, JoinRawComponents(raw));
}

std::string NewNameLine(VCardVersion version, const AddressFields& fields) {
    return Rebuild("N", false, version,
                   Structured(fields[transfer::kLastName], version) + ";" +
                       Structured(fields[transfer::kFirstName], version) + ";;;");
}

std::string FullName(const NameParts& parts, const AddressFields& fields) {
    if (fields[transfer::kFirstName].empty() && fields[transfer::kLastName].empty()) return {};
    return text::JoinNonEmpty({parts.prefix, fields[transfer::kFirstName], fields[transfer::kLastName], parts.suffix},
                              " ");
}

bool AddressChanged(const AddressFields& before, const AddressFields& after) {
    for (const std::size_t i : {transfer::kStreet, transfer::kPostalCode, transfer::kState, transfer::kCountry})
        if (before[i] != after[i]) return true;
    return false;
}

bool IsAddressEmpty(const AddressFields& fields) {
    return fields[transfer::kStreet].empty() && fields[transfer::kPostalCode].empty() &&
           fields[transfer::kState].empty() && fields[transfer::kCountry].empty();
}

std::string PatchAddress(std::string_view line, const VCardProperty& adr, VCardVersion version,
                         const AddressFields& fields) {
    transfer::ImportedCard scratch;
    auto parsed = adr.Components(version, scratch);
    parsed.resize(std::max<std::size_t>(parsed.size(), 7));
    auto raw = SplitRawComponents(RawValue(adr, version));
    raw.resize(std::max<std::size_t>(raw.size(), 7));
    std::vector<std::string> shown(7);
    for (std::size_t i = 0; i < 7; ++i) shown[i] = Joined(parsed[i], ", ");

    // The reader shows post office box, street, extended address and
    // locality as one street text. Keep as many of the other three as the
    // new text still shows in their places; the rest is the street.
    const std::string& street = fields[transfer::kStreet];
    if (text::JoinNonEmpty({shown[0], shown[2], shown[1], shown[3]}, ", ") != street) {
        for (int keep = 7; keep >= 0; --keep) {
            const bool box = keep & 1, extended = keep & 2, locality = keep & 4;
            std::string middle = street;
            if (box && !StripFront(middle, shown[0])) continue;
            if (locality && !StripBack(middle, shown[3])) continue;
            if (extended && !StripBack(middle, shown[1])) continue;
            const std::string readBack = text::JoinNonEmpty(
                {box ? shown[0] : "", middle, extended ? shown[1] : "", locality ? shown[3] : ""}, ", ");
            if (readBack != street) continue;
            if (!box) raw[0].clear();
            if (!extended) raw[1].clear();
            if (!locality) raw[3].clear();
            raw[2] = Structured(middle, version);
            break;
        }
    }
    const std::pair<std::size_t, std::size_t> simple[] = {
        {4, transfer::kState}, {5, transfer::kPostalCode}, {6, transfer::kCountry}};
    for (const auto& [component, field] : simple)
        if (shown[component] != fields[field]) raw[component] = Structured(fields[field], version);
    return Rebuild(line, adr, version, JoinRawComponents(raw));
}

std::string NewAddressLine(VCardVersion version, const AddressFields& fields, std::string head) {
    return Rebuild(std::move(head), false, version,
                   ";;" + Structured(fields[transfer::kStreet], version) + ";;" +
                       Structured(fields[transfer::kState], version) + ";" +
                       Structured(fields[transfer::kPostalCode], version) + ";" +
                       Structured(fields[transfer::kCountry], version));
}

std::string PatchPhone(std::string_view line, const VCardProperty& tel, VCardVersion version,
                       const std::string& phone) {
    std::string head = SplitContentLine(line).head;
    std::string uri;
    if (tel.IsUri(version) && (phone.empty() || IsTelUriNumber(phone, uri)))
        return Rebuild(head, tel.IsQuotedPrintable(), version, uri);
    // A number that is no tel: URI, or text that would be read as one,
    // is written as text and says so in 4.0.
    if (tel.IsUri(version) || (version == VCardVersion::V40 && text::StartsWithNoCase(text::Trim(phone), "tel:"))) {
        head = WithoutParameters(head, {"VALUE"});
        if (version == VCardVersion::V40) head += ";VALUE=text";
    }
    return Rebuild(head, tel.IsQuotedPrintable(), version, EscapeCardText(phone, version, false));
}

std::string NewPhoneLine(VCardVersion version, const std::string& phone, std::string head) {
    if (version == VCardVersion::V40) head += ";VALUE=text";
    return Rebuild(std::move(head), false, version,
                   EscapeCardText(phone, version, false));
}

std::string WithTextValue(std::string_view line, const VCardProperty& property, VCardVersion version,
                          const std::string& value) {
    return Rebuild(line, property, version, EscapeCardText(value, version, false));
}

std::string FoldQuotedPrintableLine(std::string_view line) {
    constexpr std::size_t kWidth = 74;  // and the '=' of the soft break
    const std::size_t valueStart = SplitContentLine(line).head.size() + 1;
    std::string out;
    std::size_t pos = 0;
    while (line.size() - pos > kWidth + 1) {
        std::size_t cut = std::max(pos + kWidth, valueStart);
        if (cut >= line.size()) break;
        // Never cut an =XX triple.
        const std::size_t lowest = std::max(valueStart, pos + 1);
        if (cut - 1 >= lowest && line[cut - 1] == '=') cut -= 1;
        else if (cut - 2 >= lowest && line[cut - 2] == '=') cut -= 2;
        out.append(line.substr(pos, cut - pos));
        out += "=\r\n";
        pos = cut;
    }
    out.append(line.substr(pos));
    out += "\r\n";
    return out;
}

}  // namespace orvane::sync
