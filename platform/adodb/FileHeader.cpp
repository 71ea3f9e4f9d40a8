#include "FileHeader.h"

#include <sqlite3.h>

#include <array>

#include "Connection.h"

namespace orvane::adodb {

std::uint32_t FileChangeCounter(Connection& cnn) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(cnn.Handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return 0;
    // Bytes 24 to 27 of the file's header, big-endian.
    std::array<unsigned char, 4> bytes{};
    if (file->pMethods->xRead(file, bytes.data(), static_cast<int>(bytes.size()), 24) != SQLITE_OK) return 0;
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

}  // namespace orvane::adodb
