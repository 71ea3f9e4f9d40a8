#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "transfer/FileFormatError.h"
#include "transfer/VCardReader.h"
#include "transfer/VCardWriter.h"

using namespace orvane::transfer;

namespace {
// vCard has no way to write a carriage return: the writer makes every line
// end a "\n".
std::string Lf(std::string s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += s[i];
        }
    }
    return out;
}
}  // namespace

// Any bytes: the reader either gives cards or refuses the file, and every
// card it gives survives being written as vCard 4.0 and read back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = orvane::DecodeText(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<AddressFields> cards;
    try {
        VCardReader reader(text);
        ImportedCard card;
        while (reader.Next(card)) {
            if (card.line == 0) __builtin_trap();
            cards.push_back(card.fields);
        }
    } catch (const FileFormatError& e) {
        if (e.Line() == 0) __builtin_trap();
        return 0;
    }
    std::ostringstream out;
    VCardWriter writer(out, VCardVersion::V40);
    for (const AddressFields& fields : cards) writer.Write(1, fields);
    const std::string written = out.str();
    VCardReader again(written);
    ImportedCard card;
    for (const AddressFields& fields : cards) {
        if (!again.Next(card)) __builtin_trap();
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (Lf(card.fields[i]) != Lf(fields[i])) __builtin_trap();
    }
    if (again.Next(card)) __builtin_trap();
    return 0;
}
