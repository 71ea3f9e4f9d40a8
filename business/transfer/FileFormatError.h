#pragma once

#include <cstddef>
#include <string>

#include "core/Error.h"

namespace orvane::transfer {

// A file that is not a contact file or is damaged: the line where reading
// stopped and what was found there.
class FileFormatError : public orvane::Error {
public:
    FileFormatError(std::size_t line, const std::string& description)
        : Error(errnum::InvalidFileFormat, description), line_(line) {}

    std::size_t Line() const noexcept { return line_; }

private:
    std::size_t line_;
};

}  // namespace orvane::transfer
