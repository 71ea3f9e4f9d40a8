#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/ImportedCard.h"

namespace orvane::transfer {

enum class VCardVersion { V21, V30, V40 };

struct VCardParameter {
    std::string name;  // upper case; empty for a bare vCard 2.1 value such as "HOME"
    std::vector<std::string> values;
};

// One unfolded content line of a vCard: [group.]NAME *(;param) : value.
class VCardProperty {
public:
    // Nothing when the line has no ':' after its name.
    static std::optional<VCardProperty> Parse(std::string_view line, std::size_t number);

    std::size_t Line() const { return line_; }
    // Upper case, without its group ("item1.TEL" is "TEL").
    const std::string& Name() const { return name_; }
    // The group before the name ("item1" of "item1.TEL"), as written; empty when none.
    const std::string& Group() const { return group_; }
    const std::vector<VCardParameter>& Parameters() const { return parameters_; }
    const std::string& RawValue() const { return value_; }
    bool ValueIs(std::string_view word) const;

    // TYPE=... (any letter case, also comma lists) or a bare 2.1 value.
    bool HasType(std::string_view type) const;
    std::optional<std::string> Parameter(std::string_view name) const;
    // 1 (most preferred) to 100 from PREF=n or TYPE=pref; 101 when neither.
    int PreferenceRank() const;
    bool IsQuotedPrintable() const;
    bool IsBinary() const;
    // VALUE=uri, or in 4.0 (where a TEL may be a bare URI) a tel: value.
    bool IsUri(VCardVersion version) const;

    // The value with quoted-printable and its character set undone; escapes
    // are left in. Problems are noted on the card.
    std::string DecodedValue(ImportedCard& card) const;
    // A single text value with its escapes undone.
    std::string Text(VCardVersion version, ImportedCard& card) const;
    // A structured value (N, ADR): components split at ';', each a list of
    // values split at ',' (not in 2.1), escapes undone.
    std::vector<std::vector<std::string>> Components(VCardVersion version, ImportedCard& card) const;

private:
    std::size_t line_ = 0;
    std::string name_;
    std::string group_;
    std::vector<VCardParameter> parameters_;
    std::string value_;
};

// Undoes the backslash escapes of a text value as the version writes them.
std::string UnescapeVCardText(std::string_view text, VCardVersion version);

// Whether an unfolded line's name and parameters ask for quoted-printable.
bool IsQuotedPrintableLine(std::string_view line);

}  // namespace orvane::transfer
