#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "adodb/SqlDialect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view sql(reinterpret_cast<const char*>(data), size);
    // The tokens must give back the input exactly.
    std::string joined;
    for (const auto& token : orvane::adodb::TokenizeSql(sql)) joined += token.text;
    if (joined != sql) __builtin_trap();
    auto isText = [](std::string_view column) { return !column.empty() && (column[0] & 1); };
    std::string translated = orvane::adodb::TranslateSql(sql, isText);
    (void)translated;
    return 0;
}
