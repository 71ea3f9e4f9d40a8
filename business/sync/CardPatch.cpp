#include "sync/CardPatch.h"

#include <map>
#include <optional>

#include "sync/CardLines.h"
#include "sync/CardValues.h"
#include "sync/PropertyPatches.h"
#include "transfer/FileFormatError.h"
#include "transfer/TextTools.h"
#include "transfer/VCardReader.h"
#include "transfer/VCardWriter.h"

namespace orvane::sync {
namespace {
using transfer::AddressFields;
using transfer::VCardProperty;
using transfer::VCardVersion;

bool IsBlankLine(std::string_view line) {
    for (const char c : line)
        if (static_cast<unsigned char>(c) > 0x20 && c != 0x7F) return false;
    return true;
}

// The content lines of the first card, parsed, with their index among lines.
struct CardBody {
    std::size_t endLine = 0;  // index of END:VCARD
    std::vector<std::pair<std::size_t, VCardProperty>> properties;
};

CardBody FindFirstCard(const std::vector<CardLine>& lines) {
    CardBody body;
    std::size_t i = 0;
    while (i < lines.size() && IsBlankLine(lines[i].unfolded)) ++i;
    for (++i; i < lines.size(); ++i) {
        if (IsBlankLine(lines[i].unfolded)) continue;
        auto property = VCardProperty::Parse(lines[i].unfolded, i + 1);
        if (!property) continue;
        if (property->Name() == "END") {
            body.endLine = i;
            return body;
        }
        body.properties.emplace_back(i, std::move(*property));
    }
    throw transfer::FileFormatError(lines.size(), "the card has no END:VCARD");
}

VCardVersion VersionOf(const CardBody& body) {
    for (const auto& [index, property] : body.properties) {
        if (property.Name() != "VERSION") continue;
        const std::string_view value = transfer::text::Trim(property.RawValue());
        if (value == "2.1") return VCardVersion::V21;
        if (value == "4.0") return VCardVersion::V40;
        return VCardVersion::V30;
    }
    return VCardVersion::V30;
}

// The property the reader takes: the best preference, the first among equals.
std::optional<std::size_t> Preferred(const CardBody& body, std::string_view name) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < body.properties.size(); ++i) {
        const VCardProperty& property = body.properties[i].second;
        if (property.Name() == name &&
            (!best || property.PreferenceRank() < body.properties[*best].second.PreferenceRank()))
            best = i;
    }
    return best;
}

std::optional<std::size_t> First(const CardBody& body, std::string_view name) {
    for (std::size_t i = 0; i < body.properties.size(); ++i)
        if (body.properties[i].second.Name() == name) return i;
    return std::nullopt;
}

std::size_t Count(const CardBody& body, std::string_view name) {
    std::size_t count = 0;
    for (const auto& entry : body.properties) count += entry.second.Name() == name ? 1 : 0;
    return count;
}

// A changed line folded for the card: soft breaks for quoted-printable,
// the card's own line ends.
std::string FoldFor(const std::string& line, const std::string& lineEnd) {
    std::string folded = transfer::IsQuotedPrintableLine(line) ? FoldQuotedPrintableLine(line)
                                                               : transfer::FoldContentLine(line);
    if (lineEnd == "\r\n") return folded;
    std::string out;
    for (std::size_t i = 0; i < folded.size(); ++i)
        if (!(folded[i] == '\r' && i + 1 < folded.size() && folded[i + 1] == '\n')) out += folded[i];
    return out;
}

}  // namespace

std::string PatchCard(std::string_view cardText, const AddressFields& fields) {
    transfer::ImportedCard old;
    transfer::VCardReader reader(cardText);
    if (!reader.Next(old)) throw transfer::FileFormatError(1, "the text holds no card");
    if (old.fields == fields) return std::string(cardText);

    const std::vector<CardLine> lines = SplitCardLines(cardText);
    const CardBody body = FindFirstCard(lines);
    const VCardVersion version = VersionOf(body);
    std::map<std::size_t, std::optional<std::string>> replaced;  // line index -> new line, or removed
    std::vector<std::string> added;
    auto propertyAt = [&](std::size_t i) -> const VCardProperty& { return body.properties[i].second; };
    auto lineOf = [&](std::size_t i) -> const std::string& { return lines[body.properties[i].first].unfolded; };
    auto indexOf = [&](std::size_t i) { return body.properties[i].first; };

    using transfer::kFirstName, transfer::kLastName, transfer::kPhone;
    if (old.fields[kFirstName] != fields[kFirstName] || old.fields[kLastName] != fields[kLastName]) {
        const auto n = First(body, "N");
        NameParts parts;
        if (n) {
            const std::string line = PatchName(lineOf(*n), propertyAt(*n), version, fields, parts);
            replaced[indexOf(*n)] = line;
        } else if (!fields[kFirstName].empty() || !fields[kLastName].empty()) {
            added.push_back(NewNameLine(version, fields));
        }
        const std::string fullName = FullName(parts, fields);
        if (const auto fn = First(body, "FN"))
            replaced[indexOf(*fn)] = WithTextValue(lineOf(*fn), propertyAt(*fn), version, fullName);
        else if (!fullName.empty())
            added.push_back(WithTextValue("FN:", *VCardProperty::Parse("FN:", 0), version, fullName));
    }

    if (AddressChanged(old.fields, fields)) {
        const auto adr = Preferred(body, "ADR");
        if (adr && IsAddressEmpty(fields) && Count(body, "ADR") == 1) replaced[indexOf(*adr)] = std::nullopt;
        else if (adr) replaced[indexOf(*adr)] = PatchAddress(lineOf(*adr), propertyAt(*adr), version, fields);
        else if (!IsAddressEmpty(fields)) added.push_back(NewAddressLine(version, fields));
    }

    if (old.fields[kPhone] != fields[kPhone]) {
        const auto tel = Preferred(body, "TEL");
        if (tel && fields[kPhone].empty() && Count(body, "TEL") == 1) replaced[indexOf(*tel)] = std::nullopt;
        else if (tel) replaced[indexOf(*tel)] = PatchPhone(lineOf(*tel), propertyAt(*tel), version, fields[kPhone]);
        else added.push_back(NewPhoneLine(version, fields[kPhone]));
    }

    const std::string lineEnd = LineEndOf(cardText);
    std::string out;
    out.reserve(cardText.size() + 256);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == body.endLine)
            for (const std::string& line : added) out += FoldFor(line, lineEnd);
        const auto change = replaced.find(i);
        if (change == replaced.end()) out.append(cardText.substr(lines[i].begin, lines[i].end - lines[i].begin));
        else if (change->second) out += FoldFor(*change->second, lineEnd);
    }
    return out;
}

}  // namespace orvane::sync
