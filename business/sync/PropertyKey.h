#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/CardProperties.h"

// What a property of a card means, apart from how a writer spelled it: the
// terms the whole-card merge compares and shows properties in.
namespace orvane::sync {

// A text equal for two properties exactly when they mean the same: the
// group in lower case, the parameters in any order (TYPE values in any case
// and order, each once), the value with blanks at either end of each
// component and trailing empty components left out, a phone and a date by
// their digits. `namesLeftOut`: N
// without the family, given and additional names (the fields hold those).
std::string PropertyKey(const transfer::CardProperty& property, bool namesLeftOut = false);

// The same without the value: a property's group and parameters.
std::string ParameterKey(const transfer::CardProperty& property);

// 1 (most preferred) to 100 from PREF=n or TYPE=pref; 101 when neither,
// as the vCard reader ranks the ADR and TEL it takes for the fields.
int PreferenceRank(const transfer::CardProperty& property);

// ANNIVERSARY for 3.0's X-ANNIVERSARY, else the name: one property in
// either version.
std::string_view CommonName(std::string_view name);

// The values of properties as the user reads them, one property a line;
// "(none)" when there are none. A photo shows its type and size.
std::string DisplayOf(const std::vector<const transfer::CardProperty*>& properties);

}  // namespace orvane::sync
