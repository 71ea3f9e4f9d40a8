#include "transfer/CardConversion.h"

#include <algorithm>
#include <optional>

#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {

constexpr std::string_view kOmitYear = "X-APPLE-OMIT-YEAR";
constexpr std::string_view kNoYear = "1604";  // a leap year, as Apple writes it

// 4.0 properties that 3.0 has not, and the X- names they take there.
struct Rename {
    std::string_view v40;
    std::string_view v30;
};
constexpr Rename kRenames[] = {{"KIND", "X-ADDRESSBOOKSERVER-KIND"},
                               {"GENDER", "X-GENDER"},
                               {"ANNIVERSARY", "X-ANNIVERSARY"},
                               {"LANG", "X-LANG"},
                               {"CLIENTPIDMAP", "X-CLIENTPIDMAP"},
                               {"XML", "X-XML"},
                               {"RELATED", "X-RELATED"},
                               {"MEMBER", "X-MEMBER"},
                               {"CALADRURI", "X-CALADRURI"}};
// 3.0 properties that 4.0 has not, kept under X- names. A LABEL goes into its
// ADR's LABEL parameter, which holds text only: one of data or a URI keeps its name.
constexpr Rename kKept30[] = {
    {"X-CLASS", "CLASS"}, {"X-AGENT", "AGENT"}, {"X-SORT-STRING", "SORT-STRING"}, {"X-LABEL", "LABEL"}};

bool IsDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// TYPE values other than pref, lower case and sorted: the "type" of an ADR or LABEL.
std::vector<std::string> KindOf(const CardProperty& property) {
    std::vector<std::string> kinds;
    for (const std::string& type : property.Types())
        if (!text::EqualsNoCase(type, "pref")) kinds.push_back(text::Lower(type));
    std::sort(kinds.begin(), kinds.end());
    return kinds;
}

// "--0521" or "--05-21" to "1604-05-21" with X-APPLE-OMIT-YEAR=1604.
void DateTo30(CardProperty& date) {
    std::string value(text::Trim(date.raw));
    if (!value.starts_with("--")) return;
    value.erase(0, 2);
    std::erase(value, '-');
    if (value.size() != 4 || !IsDigits(value)) return;
    date.raw = std::string(kNoYear) + "-" + value.substr(0, 2) + "-" + value.substr(2);
    date.SetParameter(kOmitYear, {std::string(kNoYear)});
}

void DateTo40(CardProperty& date) {
    const std::string year = date.Parameter(kOmitYear);
    if (year.empty()) return;
    std::string value(text::Trim(date.raw));
    if (!value.starts_with(year)) return;
    value.erase(0, year.size());
    std::erase(value, '-');
    if (value.size() != 4 || !IsDigits(value)) return;
    date.raw = "--" + value;
    date.RemoveParameter(kOmitYear);
}

bool IsTelUri(const CardProperty& tel) {
    return text::EqualsNoCase(tel.Parameter("VALUE"), "uri") || text::StartsWithNoCase(text::Trim(tel.raw), "tel:");
}

// "tel:+1-555-0100;ext=12" -> "+1-555-0100 ext. 12"; nothing when the URI
// says more than a number and an extension.
std::optional<std::string> PhoneOfUri(std::string_view uri) {
    uri = text::Trim(uri);
    if (!text::StartsWithNoCase(uri, "tel:")) return std::nullopt;
    uri.remove_prefix(4);
    const std::size_t semicolon = uri.find(';');
    std::string phone(uri.substr(0, semicolon));
    if (phone.find('%') != std::string::npos) return std::nullopt;
    if (semicolon == std::string_view::npos) return phone;
    const std::string_view rest = uri.substr(semicolon + 1);
    if (!text::StartsWithNoCase(rest, "ext=") || rest.find(';') != std::string_view::npos) return std::nullopt;
    return phone + " ext. " + std::string(rest.substr(4));
}

bool IsVisualNumber(std::string_view number) {
    bool digit = false;
    for (std::size_t i = 0; i < number.size(); ++i) {
        const char c = number[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '+' && i == 0) continue;
        else if (c != '-' && c != '.' && c != '(' && c != ')') return false;
    }
    return digit;
}

// "+1-555-0100 ext. 12" -> "tel:+1-555-0100;ext=12"; nothing when the text
// is no number a tel: URI holds as it is (a blank is no visual separator
// there, and the number read back from the URI must be the text written).
std::optional<std::string> UriOfPhone(std::string_view phone) {
    phone = text::Trim(phone);
    std::string_view extension;
    if (const std::size_t ext = phone.find(" ext. "); ext != std::string_view::npos) {
        extension = phone.substr(ext + 6);
        phone = phone.substr(0, ext);
        if (!IsDigits(extension)) return std::nullopt;
    }
    if (!IsVisualNumber(phone)) return std::nullopt;
    std::string uri = "tel:";
    uri += phone;
    if (!extension.empty()) uri += ";ext=" + std::string(extension);
    return uri;
}

void PhoneTo30(CardProperty& tel) {
    if (!IsTelUri(tel)) {
        if (text::EqualsNoCase(tel.Parameter("VALUE"), "text")) tel.RemoveParameter("VALUE");
        return;
    }
    if (const auto phone = PhoneOfUri(tel.raw)) {
        tel.raw = *phone;
        tel.RemoveParameter("VALUE");
    } else {
        tel.SetParameter("VALUE", {"uri"});
    }
}

void PhoneTo40(CardProperty& tel) {
    if (text::EqualsNoCase(tel.Parameter("VALUE"), "text")) return;
    if (IsTelUri(tel)) {
        tel.SetParameter("VALUE", {"uri"});
        return;
    }
    if (const auto uri = UriOfPhone(tel.raw)) {
        tel.raw = *uri;
        tel.SetParameter("VALUE", {"uri"});
    } else {
        tel.SetParameter("VALUE", {"text"});
    }
}

void PreferenceTo40(CardProperty& property) {
    if (!property.HasType("pref")) return;
    property.RemoveType("pref");
    if (!property.HasParameter("PREF")) property.parameters.push_back({"PREF", {"1"}});
}

void PreferenceTo30(CardProperty& property) {
    // Only a plain PREF=1 becomes TYPE=pref; a PREF of any other value, or a
    // second one, is kept as written.
    if (!property.HasParameter("PREF")) return;
    for (const VCardParameter& parameter : property.parameters)
        if (parameter.name == "PREF" && parameter.values != std::vector<std::string>{"1"}) return;
    property.RemoveParameter("PREF");
    if (!property.HasType("pref")) property.SetParameter("TYPE", [&] {
        std::vector<std::string> types = property.Types();
        types.push_back("pref");
        return types;
    }());
}

std::vector<CardProperty> To40(std::vector<CardProperty> in) {
    std::vector<CardProperty> out;
    std::vector<CardProperty> labels;
    std::optional<CardProperty> sortString;
    for (CardProperty& property : in) {
        const std::string name = property.name;
        if (name == "PROFILE" || name == "NAME" || name == "MAILER") continue;
        if (name == "LABEL" && property.kind == ValueKind::Text) {
            labels.push_back(std::move(property));
            continue;
        }
        if (name == "SORT-STRING" && !sortString) {
            sortString = std::move(property);
            continue;
        }
        if (name == "AGENT" && text::EqualsNoCase(property.Parameter("VALUE"), "uri")) {
            property.name = "RELATED";
            property.SetParameter("TYPE", {"agent"});
        }
        for (const Rename& rename : kRenames)
            if (name == rename.v30) property.name = rename.v40;
        for (const Rename& rename : kKept30)
            if (name == rename.v30) property.name = rename.v40;
        if (property.name == "BDAY" || property.name == "ANNIVERSARY") DateTo40(property);
        if (property.name == "TEL" && property.kind == ValueKind::Raw) PhoneTo40(property);
        PreferenceTo40(property);
        out.push_back(std::move(property));
    }
    if (sortString) {
        // The SORT-AS of N; kept as X-SORT-STRING where N has one already.
        const auto n = std::find_if(out.begin(), out.end(), [](const CardProperty& p) { return p.name == "N"; });
        if (n != out.end() && !n->HasParameter("SORT-AS") && !sortString->JoinedText().empty()) {
            n->parameters.push_back({"SORT-AS", {sortString->JoinedText()}});
        } else {
            sortString->name = "X-SORT-STRING";
            out.push_back(std::move(*sortString));
        }
    }
    for (CardProperty& label : labels) {
        // The ADR of the same type and group without a label yet; else an empty
        // one of that type in the label's group, which 3.0 gives the label back.
        const std::vector<std::string> kind = KindOf(label);
        auto adr = std::find_if(out.begin(), out.end(), [&](const CardProperty& p) {
            return p.name == "ADR" && !p.HasParameter("LABEL") && KindOf(p) == kind && p.group == label.group;
        });
        if (adr == out.end()) {
            CardProperty empty;
            empty.group = label.group;
            empty.name = "ADR";
            empty.kind = ValueKind::Text;
            empty.text = std::vector<std::vector<std::string>>(7, std::vector<std::string>{""});
            if (!kind.empty()) empty.parameters.push_back({"TYPE", kind});
            out.push_back(std::move(empty));
            adr = std::prev(out.end());
        }
        adr->parameters.push_back({"LABEL", {label.JoinedText()}});
    }
    return out;
}

std::vector<CardProperty> To30(std::vector<CardProperty> in) {
    std::vector<CardProperty> out;
    for (CardProperty& property : in) {
        const std::string name = property.name;
        for (const Rename& rename : kRenames)
            if (name == rename.v40) property.name = rename.v30;
        for (const Rename& rename : kKept30)
            if (name == rename.v40) property.name = rename.v30;
        if (name == "BDAY" || name == "ANNIVERSARY") DateTo30(property);
        if (name == "TEL" && property.kind == ValueKind::Raw) PhoneTo30(property);
        if ((name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY") &&
            property.kind == ValueKind::Raw && !property.HasParameter("VALUE"))
            property.SetParameter("VALUE", {"uri"});
        PreferenceTo30(property);
        std::string sortAs;
        if (name == "N" && property.HasParameter("SORT-AS")) {
            for (const VCardParameter& parameter : property.parameters)
                if (parameter.name == "SORT-AS")
                    for (const std::string& value : parameter.values) sortAs += (sortAs.empty() ? "" : ",") + value;
            property.RemoveParameter("SORT-AS");
        }
        std::string label;
        if (name == "ADR" && property.HasParameter("LABEL")) {
            label = property.Parameter("LABEL");
            property.RemoveParameter("LABEL");
        }
        const std::vector<std::string> kind = KindOf(property);
        const std::string group = property.group;
        out.push_back(std::move(property));
        if (!sortAs.empty()) {
            CardProperty sort;
            sort.name = "SORT-STRING";
            sort.kind = ValueKind::Text;
            sort.text = {{sortAs}};
            out.push_back(std::move(sort));
        }
        if (!label.empty()) {
            CardProperty line;
            line.group = group;
            line.name = "LABEL";
            line.kind = ValueKind::Text;
            line.text = {{label}};
            if (!kind.empty()) line.parameters.push_back({"TYPE", kind});
            out.push_back(std::move(line));
        }
    }
    return out;
}

}  // namespace

void ConvertProperties(KeptCardProperties& card, VCardVersion to) {
    card.properties = to == VCardVersion::V40 ? To40(std::move(card.properties)) : To30(std::move(card.properties));
    card.version = to;
}

}  // namespace orvane::transfer
