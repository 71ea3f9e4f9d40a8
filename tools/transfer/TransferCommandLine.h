#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "transfer/TransferFormat.h"

// The command line of orvane-transfer, taken apart:
//   orvane-transfer import FILE... [--database PATH]
//   orvane-transfer export FILE [--database PATH] [--format vcard4|vcard3|csv]
//   orvane-transfer show ID [--database PATH] [--format vcard4|vcard3]
//   orvane-transfer find WORDS... [--database PATH] [--limit N]
//   orvane-transfer --help
struct TransferCommandLine {
    enum class Action { Help, Import, Export, Show, Find };

    Action action = Action::Help;
    std::vector<std::string> files;  // find: the words
    std::int32_t addressId = 0;      // show
    std::string database;  // empty: the address-book window's database
    std::optional<orvane::transfer::TransferFormat> format;
    std::optional<std::size_t> limit;  // find

    // A wrong command line raises UsageError with what is wrong.
    static TransferCommandLine Parse(const std::vector<std::string>& arguments);
    // The export's format: --format, else from the file's extension, else
    // vCard 4.0 for standard output. A UsageError when it cannot be told.
    orvane::transfer::TransferFormat ExportFormat() const;
};

struct UsageError {
    std::string message;
};

extern const char* const kTransferUsage;
