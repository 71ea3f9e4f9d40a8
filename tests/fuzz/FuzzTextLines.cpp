#include <cstddef>
#include <cstdint>
#include <string>

#include "core/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto file = orvane::TextFile::FromBytes(std::string(reinterpret_cast<const char*>(data), size));
    std::size_t lines = 0;
    while (!file.AtEndOfFile()) {
        std::string line = file.ReadLine();
        if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();  // a line never holds a line end
        ++lines;
    }
    if (lines > size) __builtin_trap();  // every line costs at least one byte
    return 0;
}
