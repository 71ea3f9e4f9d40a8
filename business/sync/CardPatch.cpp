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

// How the changed lines are written. Kept: each changed property keeps its
// group, parameters and the components the fields do not show. Plain: each
// is written anew with only its preference, for a card whose own lines do
// not read back as written once changed (odd quoting, stray bytes).
enum class LineStyle { Kept, Plain };

// The head of a plain line: the name and the preference that makes the
// reader take it in the same place.
std::string PlainHead(std::string_view name, const VCardProperty& property) {
    const int rank = property.PreferenceRank();
    std::string head(name);
    if (rank <= 100) head += ";PREF=" + std::to_string(rank);
    return head;
}

std::string Patched(std::string_view cardText, const transfer::AddressFields& old, const AddressFields& fields,
                    LineStyle style) {
    const std::vector<CardLine> lines = SplitCardLines(cardText);
    const CardBody body = FindFirstCard(lines);
    const VCardVersion version = VersionOf(body);
    const bool plain = style == LineStyle::Plain;
    std::map<std::size_t, std::optional<std::string>> replaced;  // line index -> new line, or removed
    std::vector<std::string> added;
    auto propertyAt = [&](std::size_t i) -> const VCardProperty& { return body.properties[i].second; };
    auto lineOf = [&](std::size_t i) -> const std::string& { return lines[body.properties[i].first].unfolded; };
    auto indexOf = [&](std::size_t i) { return body.properties[i].first; };

    using transfer::kFirstName, transfer::kLastName, transfer::kPhone;
    if (old[kFirstName] != fields[kFirstName] || old[kLastName] != fields[kLastName]) {
        const auto n = First(body, "N");
        NameParts parts;
        if (n && !plain) replaced[indexOf(*n)] = PatchName(lineOf(*n), propertyAt(*n), version, fields, parts);
        else if (n) replaced[indexOf(*n)] = NewNameLine(version, fields);
        else if (!fields[kFirstName].empty() || !fields[kLastName].empty())
            added.push_back(NewNameLine(version, fields));
        const std::string fullName = FullName(parts, fields);
        const auto fn = First(body, "FN");
        if (fn && !plain) replaced[indexOf(*fn)] = WithTextValue(lineOf(*fn), propertyAt(*fn), version, fullName);
        else if (fn || !fullName.empty()) {
            const std::string line = WithTextValue("FN:", *VCardProperty::Parse("FN:", 0), version, fullName);
            if (fn) replaced[indexOf(*fn)] = line;
            else added.push_back(line);
        }
    }

    if (AddressChanged(old, fields)) {
        const auto adr = Preferred(body, "ADR");
        if (adr && IsAddressEmpty(fields) && Count(body, "ADR") == 1) replaced[indexOf(*adr)] = std::nullopt;
        else if (adr && !plain) replaced[indexOf(*adr)] = PatchAddress(lineOf(*adr), propertyAt(*adr), version, fields);
        else if (adr) replaced[indexOf(*adr)] = NewAddressLine(version, fields, PlainHead("ADR", propertyAt(*adr)));
        else if (!IsAddressEmpty(fields)) added.push_back(NewAddressLine(version, fields));
    }

    if (old[kPhone] != fields[kPhone]) {
        const auto tel = Preferred(body, "TEL");
        if (tel && fields[kPhone].empty() && Count(body, "TEL") == 1) replaced[indexOf(*tel)] = std::nullopt;
        else if (tel && !plain) replaced[indexOf(*tel)] = PatchPhone(lineOf(*tel), propertyAt(*tel), version, fields[kPhone]);
        else if (tel) replaced[indexOf(*tel)] = NewPhoneLine(version, fields[kPhone], PlainHead("TEL", propertyAt(*tel)));
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

bool ReadsBackAs(std::string_view cardText, const AddressFields& fields) {
    transfer::ImportedCard card;
    transfer::VCardReader reader(cardText);
    return reader.Next(card) && card.fields == fields;
}

}  // namespace

std::string PatchCard(std::string_view cardText, const AddressFields& fields) {
    transfer::ImportedCard old;
    transfer::VCardReader reader(cardText);
    if (!reader.Next(old)) throw transfer::FileFormatError(1, "the text holds no card");
    if (old.fields == fields) return std::string(cardText);

    // Each patched card is read back before it leaves: a server's card may
    // be written in ways the line builders do not foresee, and a card that
    // reads back other fields than were saved would change the address
    // silently on every device that syncs it.
    for (const LineStyle style : {LineStyle::Kept, LineStyle::Plain}) {
        std::string patched = Patched(cardText, old.fields, fields, style);
        if (ReadsBackAs(patched, fields)) return patched;
    }
    throw transfer::FileFormatError(1, "the card's lines cannot be changed so that it reads back as saved");
}

}  // namespace orvane::sync
