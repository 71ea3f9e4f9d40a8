#pragma once

// What the card fuzz targets share: the first card of the input as the
// import reads and keeps it, and a failure that shows the card it is about.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/TextFile.h"
#include "transfer/FileFormatError.h"
#include "transfer/VCardReader.h"

namespace orvane::fuzz {

// The import keeps a card's text as UTF-8 (other bytes read as Windows-1252
// or replaced); none when the input holds no card the import would keep.
inline std::optional<transfer::ImportedCard> FirstKeptCard(const std::uint8_t* data, std::size_t size) {
    const std::string text = DecodeText(std::string(reinterpret_cast<const char*>(data), size));
    transfer::ImportedCard read;
    try {
        transfer::VCardReader reader(text);
        if (!reader.Next(read)) return std::nullopt;
    } catch (const transfer::FileFormatError&) {
        return std::nullopt;
    }
    return read;
}

[[noreturn]] inline void Fail(const char* what, const std::string& detail, const std::string& card) {
    std::fprintf(stderr, "%s: %s\n--- card ---\n%s\n", what, detail.c_str(), card.c_str());
    std::abort();
}

}  // namespace orvane::fuzz
