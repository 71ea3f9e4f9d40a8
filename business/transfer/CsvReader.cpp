#include "transfer/CsvReader.h"

#include <algorithm>
#include <string>
#include <vector>

#include "transfer/FileFormatError.h"
#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {

bool IsBlankRow(const std::vector<std::string>& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& v) { return text::Trim(v).empty(); });
}

std::vector<std::string> ReadHeader(CsvParser& parser) {
    std::vector<std::string> row;
    std::size_t line = 0;
    while (parser.Next(row, line))
        if (!IsBlankRow(row)) {
            std::string found;
            for (const std::string& name : row) found += (found.empty() ? "\"" : ", \"") + text::Excerpt(name) + "\"";
            CsvColumns columns(row);
            if (!columns.Recognised())
                throw FileFormatError(line, "no recognisable header row: found " + found +
                                                "; expected column names such as First Name, Last Name, Address, "
                                                "City, State, Zip, Country, Phone");
            return row;
        }
    throw FileFormatError(1, "the file holds no header row and no addresses");
}

}  // namespace

CsvReader::CsvReader(std::string_view text)
    : delimiter_(CsvParser::DetectDelimiter(text)), parser_(text, delimiter_), columns_(ReadHeader(parser_)) {}

bool CsvReader::Next(ImportedCard& card) {
    card = ImportedCard{};
    std::vector<std::string> row;
    std::size_t line = 0;
    do {
        if (!parser_.Next(row, line)) return false;
    } while (IsBlankRow(row));
    card.line = line;
    const std::size_t width = columns_.Header().size();
    if (row.size() > width && !IsBlankRow(std::vector<std::string>(row.begin() + static_cast<std::ptrdiff_t>(width), row.end())))
        card.problems.push_back({line, "the row has " + std::to_string(row.size()) + " values but the header names " +
                                           std::to_string(width) + " columns; the values past the last column are not stored"});
    columns_.Map(row, card);
    return true;
}

}  // namespace orvane::transfer
