#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/CsvColumns.h"
#include "transfer/CsvParser.h"
#include "transfer/ImportedCard.h"

namespace orvane::transfer {

// Reads contacts from CSV text (already decoded to UTF-8): the delimiter
// is detected, the first row must be a header with at least one column the
// address book knows, every further row is one contact. Blank rows are
// skipped.
class CsvReader : public CardSource {
public:
    // Reads the header; a file without a recognisable one raises
    // FileFormatError naming what it found. The text must outlive the reader.
    explicit CsvReader(std::string_view text);

    bool Next(ImportedCard& card) override;
    char Delimiter() const { return delimiter_; }
    std::size_t Offset() const override { return parser_.Offset(); }

private:
    char delimiter_;
    CsvParser parser_;
    CsvColumns columns_;
    CsvRow row_;  // kept between rows for its buffers
    std::string field_;
};

}  // namespace orvane::transfer
