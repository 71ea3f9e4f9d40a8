#include "TransferCommandLine.h"

#include <charconv>

using orvane::transfer::TransferFormat;

const char* const kTransferUsage =
    "usage: orvane-transfer import FILE... [--database PATH]\n"
    "       orvane-transfer export FILE [--database PATH] [--format vcard4|vcard3|csv]\n"
    "       orvane-transfer show ID [--database PATH] [--format vcard4|vcard3]\n"
    "       orvane-transfer find WORDS... [--database PATH] [--limit N]\n"
    "       orvane-transfer --help\n"
    "\n"
    "import  stores every address found in the vCard or CSV files (told apart by\n"
    "        their content); addresses already stored are skipped.\n"
    "export  writes every stored address, in the order the address book lists\n"
    "        them; the format follows the extension (.vcf vCard 4.0, .csv CSV).\n"
    "show    prints the card of the address with that ID as export writes it\n"
    "        (vCard 4.0 unless --format says vcard3).\n"
    "find    prints the addresses every word matches (as the address book's Find\n"
    "        window does), one a line: ID, display text and the field that matched,\n"
    "        separated by tabs; --limit N prints the first N (default 200).\n"
    "        Exit status 0 when something matched, 1 when nothing did.\n"
    "FILE    '-' is standard input (import) or standard output (export).\n"
    "--database PATH   the database file (default: the address book's own,\n"
    "                  Database/Addressbook.mdb in its application folder)\n"
    "Exit status: 0 everything was read, 1 problems or an error, 2 wrong usage.\n";

TransferCommandLine TransferCommandLine::Parse(const std::vector<std::string>& arguments) {
    TransferCommandLine line;
    if (arguments.empty()) throw UsageError{"no command given"};
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h" || command == "help") {
        if (arguments.size() > 1) throw UsageError{"--help takes no further arguments"};
        return line;
    }
    if (command == "import") line.action = Action::Import;
    else if (command == "export") line.action = Action::Export;
    else if (command == "show") line.action = Action::Show;
    else if (command == "find") line.action = Action::Find;
    else throw UsageError{"unknown command '" + command + "'"};

    bool optionsEnded = false;
    bool databaseGiven = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](const std::string& option) -> std::string {
            const std::string prefix = option + "=";
            if (argument.rfind(prefix, 0) == 0) return argument.substr(prefix.size());
            if (i + 1 >= arguments.size()) throw UsageError{option + " needs a value"};
            return arguments[++i];
        };
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--database" || argument.rfind("--database=", 0) == 0)) {
            if (databaseGiven) throw UsageError{"--database is given twice"};
            line.database = value("--database");
            databaseGiven = true;
            if (line.database.empty()) throw UsageError{"--database needs a file"};
        } else if (!optionsEnded && (argument == "--format" || argument.rfind("--format=", 0) == 0)) {
            if (line.action != Action::Export && line.action != Action::Show)
                throw UsageError{"--format belongs to export and show"};
            if (line.format) throw UsageError{"--format is given twice"};
            const std::string name = value("--format");
            line.format = orvane::transfer::FormatFromName(name);
            if (!line.format) throw UsageError{"unknown format '" + name + "' (vcard4, vcard3 or csv)"};
            if (line.action == Action::Show && *line.format == TransferFormat::Csv)
                throw UsageError{"show writes a card: --format vcard4 or vcard3"};
        } else if (!optionsEnded && (argument == "--limit" || argument.rfind("--limit=", 0) == 0)) {
            if (line.action != Action::Find) throw UsageError{"--limit belongs to find"};
            if (line.limit) throw UsageError{"--limit is given twice"};
            const std::string number = value("--limit");
            if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos ||
                std::stoul(number) == 0)
                throw UsageError{"--limit needs a number from 1 up, not '" + number + "'"};
            line.limit = std::stoul(number);
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            throw UsageError{"unknown option '" + argument + "'"};
        } else {
            line.files.push_back(argument);
        }
    }
    if (line.action == Action::Show) {
        if (line.files.size() != 1) throw UsageError{"show needs one address ID"};
        const std::string& id = line.files.front();
        std::int32_t number = 0;
        const auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), number);
        if (ec != std::errc() || end != id.data() + id.size() || number < 1)
            throw UsageError{"'" + id + "' is no address ID (a whole number from 1)"};
        line.addressId = number;
        return line;
    }
    if (line.files.empty()) throw UsageError{command + (line.action == Action::Find ? " needs a word" : " needs a file")};
    if (line.action == Action::Export && line.files.size() > 1) throw UsageError{"export writes one file"};
    if (line.action == Action::Export) line.ExportFormat();  // the format must be known before anything runs
    return line;
}

TransferFormat TransferCommandLine::ExportFormat() const {
    if (format) return *format;
    const std::string& file = files.front();
    if (file == "-") return TransferFormat::VCard4;
    if (const auto fromName = orvane::transfer::FormatFromExtension(file)) return *fromName;
    throw UsageError{"cannot tell the format of '" + file + "' from its name; give --format vcard4, vcard3 or csv"};
}
