#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::transfer {

// Splits RFC 4180 text into records: fields quoted with '"' may hold the
// delimiter, line ends and doubled quotes. Lenient where files in the wild
// are: a quote inside an unquoted field is text, text after a closing
// quote is kept, and CR LF, LF and CR all end a record. Only a quoted
// field that never closes is an error (FileFormatError).
class CsvParser {
public:
    // The text must outlive the parser.
    CsvParser(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {}

    // The next record and the line it begins on; false at the end.
    bool Next(std::vector<std::string>& fields, std::size_t& line);

    // ',', ';' or tab: whichever appears most often outside quotes in the
    // first record (',' when none does).
    static char DetectDelimiter(std::string_view text);

private:
    void EndOfLine();

    std::string_view text_;
    char delimiter_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

}  // namespace orvane::transfer
