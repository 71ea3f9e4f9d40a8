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

    // Begins the next record (skipping what is left of the last one) and
    // gives the line it begins on; false at the end of the text.
    bool StartRecord(std::size_t& line);
    // The next field of the record begun; false when it has no more. One
    // field at a time, so a record of millions of fields needs no more
    // memory than its caller keeps.
    bool NextField(std::string& field);
    // The next record whole and the line it begins on; false at the end.
    bool Next(std::vector<std::string>& fields, std::size_t& line);
    // How far into the text the parser has read.
    std::size_t Offset() const { return pos_; }

    // ',', ';' or tab: whichever appears most often outside quotes in the
    // first record (',' when none does).
    static char DetectDelimiter(std::string_view text);

private:
    void EndOfLine();

    std::string_view text_;
    char delimiter_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    bool inRecord_ = false;
};

}  // namespace orvane::transfer
