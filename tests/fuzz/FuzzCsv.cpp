#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "transfer/CsvReader.h"
#include "transfer/CsvWriter.h"
#include "transfer/FileFormatError.h"

using namespace orvane::transfer;

namespace {
bool AllBlank(const AddressFields& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const std::string& f) {
        return f.find_first_not_of(" \t") == std::string::npos;
    });
}
}  // namespace

// Any bytes: the reader either gives rows or refuses the file, and every
// row it gives survives being written as CSV and read back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = orvane::DecodeText(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<AddressFields> rows;
    try {
        CsvReader reader(text);
        ImportedCard card;
        while (reader.Next(card)) {
            if (card.line < 2) __builtin_trap();  // the header comes first
            if (!AllBlank(card.fields)) rows.push_back(card.fields);
        }
    } catch (const FileFormatError& e) {
        if (e.Line() == 0) __builtin_trap();
        return 0;
    }
    std::ostringstream out;
    CsvWriter writer(out);
    for (const AddressFields& fields : rows) writer.Write(fields);
    const std::string written = out.str();
    CsvReader again(written);
    if (again.Delimiter() != ',') __builtin_trap();
    ImportedCard card;
    for (const AddressFields& fields : rows) {
        if (!again.Next(card) || card.fields != fields) __builtin_trap();
    }
    if (again.Next(card)) __builtin_trap();
    return 0;
}
