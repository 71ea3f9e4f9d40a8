#include "transfer/CsvReader.h"

#include <string>
#include <vector>

#include "transfer/FileFormatError.h"
#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {

// The first row with anything in it, column by column; a file without a
// recognisable one is refused, naming the first few names found.
CsvColumns ReadHeader(CsvParser& parser) {
    std::size_t line = 0;
    std::string name;
    while (parser.StartRecord(line)) {
        CsvColumns columns;
        bool blank = true;
        while (parser.NextField(name)) {
            blank = blank && text::Trim(name).empty();
            columns.Add(name);
        }
        if (blank) continue;
        columns.Finish();
        if (!columns.Recognised()) {
            constexpr std::size_t kNamesShown = 8;
            std::string found;
            for (std::size_t i = 0; i < columns.Width() && i < kNamesShown; ++i)
                found += (i == 0 ? "\"" : ", \"") + text::Excerpt(columns.Name(i)) + "\"";
            if (columns.Width() > kNamesShown) found += " and " + text::Grouped(columns.Width() - kNamesShown) + " more";
            throw FileFormatError(line, "no recognisable header row: found " + found +
                                            "; expected column names such as First Name, Last Name, Address, "
                                            "City, State, Zip, Country, Phone");
        }
        return columns;
    }
    throw FileFormatError(1, "the file holds no header row and no addresses");
}

}  // namespace

CsvReader::CsvReader(std::string_view text)
    : delimiter_(CsvParser::DetectDelimiter(text)), parser_(text, delimiter_), columns_(ReadHeader(parser_)) {}

bool CsvReader::Next(ImportedCard& card) {
    card = ImportedCard{};
    const std::size_t width = columns_.Width();
    std::size_t line = 0, count = 0;
    bool extra = false;
    // Only the values the header names are kept: a row of millions of
    // values past the last column costs no memory.
    for (bool blank = true; blank;) {
        if (!parser_.StartRecord(line)) return false;
        row_.Clear();
        count = 0;
        extra = false;
        while (parser_.NextField(field_)) {
            const bool empty = text::Trim(field_).empty();
            blank = blank && empty;
            if (count < width) row_.Add(field_);
            else extra = extra || !empty;
            ++count;
        }
    }
    card.line = line;
    if (extra)
        card.problems.push_back({line, "the row has " + std::to_string(count) + " values but the header names " +
                                           std::to_string(width) + " columns; the values past the last column are not stored"});
    columns_.Map(row_, card);
    return true;
}

}  // namespace orvane::transfer
