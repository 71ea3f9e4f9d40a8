#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "adodb/SqlDialect.h"
#include "core/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view sql(reinterpret_cast<const char*>(data), size);
    // The tokens must give back the input exactly.
    std::string joined;
    for (const auto& token : orvane::adodb::TokenizeSql(sql)) joined += token.text;
    if (joined != sql) __builtin_trap();
    auto columnType = [](std::string_view column) {
        if (column.empty()) return orvane::adodb::SqlType::Unknown;
        return static_cast<orvane::adodb::SqlType>(static_cast<unsigned char>(column[0]) % 3);
    };
    try {
        std::string translated = orvane::adodb::TranslateSql(sql, columnType);
        (void)translated;
    } catch (const orvane::Error&) {
        // A statement the translator refuses is an answer too.
    }
    return 0;
}
