#include "adodb/ConnectionString.h"

#include <algorithm>

#include "adodb/ErrorNumbers.h"
#include "core/App.h"
#include "core/Error.h"

namespace orvane::adodb {
namespace {

constexpr char Lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

bool KeyLess::operator()(std::string_view a, std::string_view b) const noexcept {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

ConnectionProperties ParseConnectionString(std::string_view text) {
    ConnectionProperties properties;
    while (!text.empty()) {
        const std::size_t end = text.find(';');
        const std::string_view segment = Trim(text.substr(0, end));
        text = (end == std::string_view::npos) ? std::string_view{} : text.substr(end + 1);
        if (segment.empty()) continue;

        const std::size_t equals = segment.find('=');
        const std::string_view key = Trim(segment.substr(0, equals));
        if (equals == std::string_view::npos || key.empty())
            throw Error(aderr::InvalidArgument,
                        "The connection string is not valid: \"" + std::string(segment) + "\" is not a key=value pair.");
        properties.insert_or_assign(std::string(key), std::string(Trim(segment.substr(equals + 1))));
    }
    return properties;
}

ConnectionTarget ResolveConnectionString(std::string_view text) {
    const ConnectionProperties properties = ParseConnectionString(text);

    const auto provider = properties.find("Provider");
    if (provider == properties.end() || provider->second.empty())
        throw Error(aderr::ProviderNotFound,
                    "Provider cannot be found. It may not be properly installed. (The connection string names no Provider.)");
    if (!EqualsNoCase(provider->second, "Microsoft.Jet.OLEDB.4.0"))
        throw Error(aderr::ProviderNotFound, "Provider cannot be found. It may not be properly installed. (Provider '" +
                                                 provider->second + "')");

    const auto source = properties.find("Data Source");
    if (source == properties.end() || source->second.empty())
        throw Error(aderr::Unspecified, "The connection string names no Data Source (the database file).");

    ConnectionTarget target;
    target.path = App::NativePath(source->second);
    if (const auto mode = properties.find("Mode"); mode != properties.end()) target.readOnly = EqualsNoCase(mode->second, "Read");
    return target;
}

}  // namespace orvane::adodb
