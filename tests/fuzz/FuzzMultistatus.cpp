#include <cstddef>
#include <cstdint>
#include <string_view>

#include "carddav/CardDavErrors.h"
#include "carddav/Multistatus.h"
#include "core/Error.h"

// A server's multistatus or error answer is untrusted input: reading it may
// refuse it with a BadAnswer error, never crash, hang or leak.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const orvane::carddav::Multistatus answer = orvane::carddav::ReadMultistatus(text);
        std::size_t total = answer.syncToken.size();
        for (const auto& response : answer.responses) {
            total += response.href.size();
            if (response.properties.addressData) total += response.properties.addressData->size();
        }
        if (total > size * 4 + 64) __builtin_trap();  // no expansion beyond the input's own text
    } catch (const orvane::Error& e) {
        if (e.Number() != orvane::carddav::errnum::BadAnswer) __builtin_trap();
    }
    (void)orvane::carddav::ReadDavErrorConditions(text);
    (void)orvane::carddav::StatusFromLine(text);
    return 0;
}
