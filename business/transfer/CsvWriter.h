#pragma once

#include <ostream>
#include <string_view>

#include "transfer/ImportedCard.h"

namespace orvane::transfer {

// Writes addresses as RFC 4180 CSV in UTF-8: a header of the address-book
// window's field labels, CR LF after every row, a field quoted (its quotes
// doubled) when it holds a comma, a quote or a line end.
class CsvWriter {
public:
    explicit CsvWriter(std::ostream& out);  // writes the header
    void Write(const AddressFields& fields);

private:
    void Field(std::string_view value);
    std::ostream& out_;
};

}  // namespace orvane::transfer
