#include "FileHeader.h"

#include <array>
#include <fstream>

namespace orvane::adodb {

std::uint32_t FileChangeCounter(const std::string& path) {
    // Bytes 24 to 27 of the file's header, big-endian.
    std::ifstream file(path, std::ios::binary);
    std::array<unsigned char, 4> bytes{};
    if (!file.seekg(24) || !file.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) return 0;
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

}  // namespace orvane::adodb
