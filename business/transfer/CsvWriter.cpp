#include "transfer/CsvWriter.h"

#include <array>

namespace orvane::transfer {

CsvWriter::CsvWriter(std::ostream& out) : out_(out) {
    static constexpr std::array<std::string_view, 7> kLabels{"Firstname",      "Lastname", "Address",    "Zip/PostalCode",
                                                             "State/Province", "Country",  "PhoneNumber"};
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        if (i > 0) out_ << ',';
        Field(kLabels[i]);
    }
    out_ << "\r\n";
}

void CsvWriter::Field(std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        out_ << value;
        return;
    }
    out_ << '"';
    for (const char c : value) {
        if (c == '"') out_ << '"';
        out_ << c;
    }
    out_ << '"';
}

void CsvWriter::Write(const AddressFields& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out_ << ',';
        Field(fields[i]);
    }
    out_ << "\r\n";
}

}  // namespace orvane::transfer
