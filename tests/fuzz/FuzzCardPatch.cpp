#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sync/CardPatch.h"
#include "transfer/FileFormatError.h"
#include "transfer/ImportedCard.h"
#include "transfer/VCardReader.h"

// A card from a server is untrusted input: patching the seven fields into
// any card text must never crash, and reading the patched card must give
// back exactly the fields written.
//
// The input is seven field values, then the card text. Each field is a
// length byte and that many bytes; printable ASCII stands for itself, any
// other byte picks one of the characters that need care in a card (line
// breaks, tabs, non-ASCII letters, separators), so the values stay texts an
// address can hold (valid UTF-8, no carriage return or other controls).
namespace {
using orvane::transfer::AddressFields;

constexpr std::string_view kSpecial[] = {"\n", "\t", "é", "ß", "Köln", "tel:", ";", ",", "\\", "=",
                                          ":", "\"", " ", "+41", " ext. ", "\xe2\x82\xac", "\xf0\x9f\x98\x80"};

std::string FieldFrom(std::string_view& input) {
    std::string value;
    if (input.empty()) return value;
    std::size_t length = static_cast<unsigned char>(input.front()) % 64;
    input.remove_prefix(1);
    for (; length > 0 && !input.empty(); --length) {
        const auto byte = static_cast<unsigned char>(input.front());
        input.remove_prefix(1);
        if (byte >= 0x20 && byte < 0x7F) value += static_cast<char>(byte);
        else value += kSpecial[byte % std::size(kSpecial)];
    }
    return value;
}

bool ReadFields(std::string_view text, AddressFields& fields) {
    orvane::transfer::ImportedCard card;
    orvane::transfer::VCardReader reader(text);
    if (!reader.Next(card)) return false;
    fields = card.fields;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    AddressFields fields;
    for (std::string& field : fields) field = FieldFrom(input);
    const std::string_view cardText = input;

    std::string patched;
    try {
        patched = orvane::sync::PatchCard(cardText, fields);
    } catch (const orvane::transfer::FileFormatError&) {
        return 0;  // no readable card in the text: refused, as it should be
    }
    AddressFields readBack;
    if (!ReadFields(patched, readBack)) __builtin_trap();  // the patch lost the card
    if (readBack != fields) __builtin_trap();              // a field did not come back as written
    return 0;
}
