#include <cstddef>
#include <cstdint>
#include <string_view>

#include "adodb/ConnectionString.h"
#include "core/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        auto properties = orvane::adodb::ParseConnectionString(text);
        (void)properties;
    } catch (const orvane::Error&) {
    }
    try {
        auto target = orvane::adodb::ResolveConnectionString(text);
        (void)target;
    } catch (const orvane::Error&) {
    }
    return 0;
}
