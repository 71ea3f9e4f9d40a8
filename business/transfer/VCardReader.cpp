#include "transfer/VCardReader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "transfer/FileFormatError.h"
#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {

VCardVersion VersionOf(const std::vector<VCardProperty>& properties, ImportedCard& card) {
    for (const VCardProperty& property : properties) {
        if (property.Name() != "VERSION") continue;
        const std::string_view value = text::Trim(property.RawValue());
        if (value == "2.1") return VCardVersion::V21;
        if (value == "3.0") return VCardVersion::V30;
        if (value == "4.0") return VCardVersion::V40;
        card.problems.push_back({property.Line(), "unknown vCard version \"" + text::Excerpt(value) + "\"; read as 3.0"});
        return VCardVersion::V30;
    }
    return VCardVersion::V30;
}

// The property of that name among those gathered (CardProperties keeps one
// of each, the preferred ADR and TEL), or none.
const VCardProperty* Gathered(const std::vector<VCardProperty>& properties, const std::string& name) {
    for (const VCardProperty& property : properties)
        if (property.Name() == name) return &property;
    return nullptr;
}

std::string JoinValues(const std::vector<std::vector<std::string>>& components, std::size_t index,
                       std::string_view separator) {
    return index < components.size() ? text::JoinNonEmpty(components[index], separator) : std::string();
}

// "tel:+1-555-0100;ext=12" -> "+1-555-0100 ext. 12".
std::string PhoneFromUri(std::string_view uri) {
    uri = text::Trim(uri);
    if (text::StartsWithNoCase(uri, "tel:")) uri.remove_prefix(4);
    std::string phone;
    std::string extension;
    std::size_t start = 0;
    bool first = true;
    while (start <= uri.size()) {
        std::size_t end = uri.find(';', start);
        if (end == std::string_view::npos) end = uri.size();
        const std::string_view part = uri.substr(start, end - start);
        if (first) phone = std::string(part);
        else if (text::StartsWithNoCase(part, "ext=")) extension = std::string(part.substr(4));
        first = false;
        start = end + 1;
    }
    return extension.empty() ? phone : phone + " ext. " + extension;
}

void MapNames(const std::vector<VCardProperty>& properties, VCardVersion version, ImportedCard& card) {
    const auto n = std::find_if(properties.begin(), properties.end(), [](const VCardProperty& p) { return p.Name() == "N"; });
    if (n != properties.end()) {
        const auto components = n->Components(version, card);
        card.fields[kLastName] = JoinValues(components, 0, " ");
        card.fields[kFirstName] = text::JoinNonEmpty({JoinValues(components, 1, " "), JoinValues(components, 2, " ")}, " ");
    }
    if (!card.fields[kFirstName].empty() || !card.fields[kLastName].empty()) return;
    const auto fn = std::find_if(properties.begin(), properties.end(), [](const VCardProperty& p) { return p.Name() == "FN"; });
    if (fn != properties.end()) {
        auto [first, last] = text::SplitAtLastBlank(fn->Text(version, card));
        card.fields[kFirstName] = std::move(first);
        card.fields[kLastName] = std::move(last);
    }
}

void MapAddress(const VCardProperty& adr, VCardVersion version, ImportedCard& card) {
    const auto components = adr.Components(version, card);
    // Post office box, street, extended address and locality all go into
    // the one street field, so nothing the user sees is lost.
    card.fields[kStreet] = text::JoinNonEmpty({JoinValues(components, 0, ", "), JoinValues(components, 2, ", "),
                                               JoinValues(components, 1, ", "), JoinValues(components, 3, ", ")},
                                              ", ");
    card.fields[kState] = JoinValues(components, 4, ", ");
    card.fields[kPostalCode] = JoinValues(components, 5, ", ");
    card.fields[kCountry] = JoinValues(components, 6, ", ");
}

// Nothing but blanks and control characters (an old editor's end-of-file
// mark, a stray NUL): such lines are skipped.
bool IsBlankLine(std::string_view line) {
    for (const char c : line)
        if (static_cast<unsigned char>(c) > 0x20 && c != 0x7F) return false;
    return true;
}

// The properties of one card that the mapping looks at, gathered as the
// lines come: the first VERSION, N and FN and the preferred ADR and TEL.
// Every other one is left in the card's text at once, so a card of a
// million lines costs no more than its text and five properties.
class CardProperties {
public:
    void Add(VCardProperty property) {
        const std::string& name = property.Name();
        if (name == "VERSION" || name == "N" || name == "FN") {
            std::optional<VCardProperty>& slot = name == "VERSION" ? version_ : name == "N" ? n_ : fn_;
            if (!slot) slot = std::move(property);
        } else if (name == "ADR" || name == "TEL") {
            std::optional<VCardProperty>& best = name == "ADR" ? adr_ : tel_;
            // The most preferred; the first among equals.
            if (!best || property.PreferenceRank() < best->PreferenceRank()) best = std::move(property);
        }
    }

    std::vector<VCardProperty> Kept() {
        std::vector<VCardProperty> kept;
        for (std::optional<VCardProperty>* slot : {&version_, &n_, &fn_, &adr_, &tel_})
            if (*slot) kept.push_back(std::move(**slot));
        return kept;
    }

private:
    std::optional<VCardProperty> version_, n_, fn_, adr_, tel_;
};

// Fills the card's fields from the properties gathered of one card.
void MapVCard(const std::vector<VCardProperty>& properties, ImportedCard& card) {
    const VCardVersion version = VersionOf(properties, card);
    MapNames(properties, version, card);
    const VCardProperty* adr = Gathered(properties, "ADR");
    const VCardProperty* tel = Gathered(properties, "TEL");
    if (adr) MapAddress(*adr, version, card);
    if (tel) card.fields[kPhone] = tel->IsUri(version) ? PhoneFromUri(tel->DecodedValue(card)) : tel->Text(version, card);
}

}  // namespace

bool VCardReader::PeekPhysicalLine(std::string_view& line) const {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    line = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    return true;
}

bool VCardReader::NextPhysicalLine(std::string_view& line) {
    if (!PeekPhysicalLine(line)) return false;
    pos_ += line.size();
    if (pos_ < text_.size()) {
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
    }
    ++physicalLine_;
    return true;
}

bool VCardReader::NextLogicalLine(std::size_t& number, std::string& line) {
    std::string_view physical;
    if (!NextPhysicalLine(physical)) return false;
    number = physicalLine_;
    line.assign(physical);
    const bool quotedPrintable = IsQuotedPrintableLine(line);
    std::string_view next;
    while (PeekPhysicalLine(next)) {
        if (quotedPrintable && !line.empty() && line.back() == '=') {
            // A soft line break of quoted-printable: the value goes on.
            line.pop_back();
            line += next;
        } else if (!next.empty() && (next.front() == ' ' || next.front() == '\t')) {
            line += next.substr(1);
        } else {
            break;
        }
        NextPhysicalLine(next);
    }
    return true;
}

bool VCardReader::Next(ImportedCard& card) {
    card = ImportedCard{};
    std::size_t number = 0;
    std::string line;
    std::size_t cardBegin = pos_;
    // Outside a card only blank lines may stand.
    while (true) {
        cardBegin = pos_;
        if (!NextLogicalLine(number, line)) return false;
        if (IsBlankLine(line)) continue;
        const auto begin = VCardProperty::Parse(line, number);
        if (!begin || begin->Name() != "BEGIN" || !begin->ValueIs("VCARD"))
            throw FileFormatError(number, "expected BEGIN:VCARD, found \"" + text::Excerpt(line) + "\"");
        break;
    }
    card.line = number;
    CardProperties properties;
    while (true) {
        if (!NextLogicalLine(number, line))
            throw FileFormatError(card.line, "the card that begins here has no END:VCARD");
        if (IsBlankLine(line)) continue;
        auto property = VCardProperty::Parse(line, number);
        if (!property)
            throw FileFormatError(number, "not a vCard property (no ':'): \"" + text::Excerpt(line) + "\"");
        if (property->Name() == "BEGIN")
            throw FileFormatError(number, "BEGIN inside the card that begins at line " + std::to_string(card.line) +
                                              ", which has no END:VCARD");
        if (property->Name() == "END") {
            if (!property->ValueIs("VCARD"))
                throw FileFormatError(number, "expected END:VCARD, found \"" + text::Excerpt(line) + "\"");
            break;
        }
        properties.Add(std::move(*property));
    }
    card.cardText.assign(text_.substr(cardBegin, pos_ - cardBegin));
    MapVCard(properties.Kept(), card);
    return true;
}

}  // namespace orvane::transfer
