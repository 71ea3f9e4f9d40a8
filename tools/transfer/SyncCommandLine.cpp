#include "SyncCommandLine.h"

#include <charconv>
#include <set>

#include "TransferCommandLine.h"

const char* const kSyncUsage =
    "usage: orvane-transfer sync setup URL --user NAME [--password-stdin | --password-file FILE]\n"
    "                            [--addressbook NAME] [--ca-file FILE] [--database PATH]\n"
    "       orvane-transfer sync [--password-stdin | --password-file FILE] [--database PATH]\n"
    "                            [--dry-run] [--force-delete] [--retry-refused]\n"
    "       orvane-transfer sync status|conflicts|forget [--database PATH]\n"
    "       orvane-transfer sync resolve ID --take local|server [--database PATH]\n"
    "\n"
    "sync setup      finds the address book on a CardDAV server, checks the password,\n"
    "                and keeps the account (the password in the desktop's keychain)\n"
    "sync            two-way sync of every address with the account's address book;\n"
    "                a card the server refused is sent again once it changed, or\n"
    "                with --retry-refused\n"
    "sync status     the account, its book, the last sync, changes waiting, conflicts\n"
    "sync conflicts  each field (or card property, such as NOTE) changed differently on\n"
    "                both sides: ID, field, ours, theirs\n"
    "sync resolve    takes one side for the address's conflicts (the next sync sends ours)\n"
    "sync forget     drops the account and all sync state; every address stays\n"
    "Sync exit status: 0 done, 1 error or cards refused by the server, 2 wrong usage,\n"
    "3 user name or password refused, 4 the server's certificate is not trusted,\n"
    "5 stopped for safety, 6 done with conflicts held, 7 another sync of the database is running.\n";

namespace {

using Action = SyncCommandLine::Action;

// The options each command takes.
const std::set<std::string>& OptionsOf(Action action) {
    static const std::set<std::string> setup{"--user", "--password-stdin", "--password-file", "--addressbook",
                                             "--ca-file", "--database"};
    static const std::set<std::string> sync{"--password-stdin", "--password-file", "--database", "--dry-run",
                                            "--force-delete", "--retry-refused"};
    static const std::set<std::string> resolve{"--take", "--database"};
    static const std::set<std::string> plain{"--database"};
    switch (action) {
        case Action::Setup: return setup;
        case Action::Sync: return sync;
        case Action::Resolve: return resolve;
        default: return plain;
    }
}

bool TakesValue(const std::string& option) {
    return option != "--password-stdin" && option != "--dry-run" && option != "--force-delete" &&
           option != "--retry-refused";
}

std::int32_t AddressId(const std::string& text) {
    std::int32_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id <= 0)
        throw UsageError{"'" + text + "' is no address ID"};
    return id;
}

}  // namespace

SyncCommandLine SyncCommandLine::Parse(const std::vector<std::string>& arguments) {
    SyncCommandLine line;
    std::size_t first = 0;
    if (!arguments.empty() && (arguments[0].empty() || arguments[0][0] != '-')) {
        const std::string& command = arguments[0];
        if (command == "setup") line.action = Action::Setup;
        else if (command == "status") line.action = Action::Status;
        else if (command == "conflicts") line.action = Action::Conflicts;
        else if (command == "resolve") line.action = Action::Resolve;
        else if (command == "forget") line.action = Action::Forget;
        else throw UsageError{"unknown sync command '" + command + "'"};
        first = 1;
    }
    const std::string name = first ? "sync " + arguments[0] : "sync";

    std::set<std::string> given;
    std::vector<std::string> operands;
    for (std::size_t i = first; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument.rfind("--", 0) != 0) {
            if (!argument.empty() && argument[0] == '-') throw UsageError{"unknown option '" + argument + "'"};
            operands.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string option = argument.substr(0, equals);
        if (!OptionsOf(line.action).count(option)) {
            if (option == "--password-stdin" || option == "--password-file" || option == "--database" ||
                option == "--dry-run" || option == "--force-delete" || option == "--retry-refused" ||
                option == "--user" || option == "--take" ||
                option == "--addressbook" || option == "--ca-file")
                throw UsageError{option + " does not belong to " + name};
            throw UsageError{"unknown option '" + option + "'"};
        }
        if (!given.insert(option).second) throw UsageError{option + " is given twice"};
        std::string value;
        if (TakesValue(option)) {
            if (equals != std::string::npos) value = argument.substr(equals + 1);
            else if (i + 1 < arguments.size()) value = arguments[++i];
            else throw UsageError{option + " needs a value"};
            if (value.empty()) throw UsageError{option + " needs a value"};
        } else if (equals != std::string::npos) {
            throw UsageError{option + " takes no value"};
        }
        if (option == "--user") line.user = value;
        else if (option == "--password-stdin") line.passwordStdin = true;
        else if (option == "--password-file") line.passwordFile = value;
        else if (option == "--addressbook") line.addressBook = value;
        else if (option == "--ca-file") line.caFile = value;
        else if (option == "--database") line.database = value;
        else if (option == "--dry-run") line.dryRun = true;
        else if (option == "--force-delete") line.forceDelete = true;
        else if (option == "--retry-refused") line.retryRefused = true;
        else if (option == "--take") {
            if (value != "local" && value != "server") throw UsageError{"--take is local or server"};
            line.takeLocal = value == "local";
        }
    }
    if (line.passwordStdin && !line.passwordFile.empty())
        throw UsageError{"--password-stdin and --password-file exclude each other"};

    switch (line.action) {
        case Action::Setup:
            if (operands.size() != 1) throw UsageError{"sync setup needs one URL"};
            line.url = operands[0];
            if (line.user.empty()) throw UsageError{"sync setup needs --user NAME"};
            break;
        case Action::Resolve:
            if (operands.size() != 1) throw UsageError{"sync resolve needs one address ID"};
            line.addressId = AddressId(operands[0]);
            if (!given.count("--take")) throw UsageError{"sync resolve needs --take local or --take server"};
            break;
        default:
            if (!operands.empty()) throw UsageError{"unexpected argument '" + operands[0] + "' for " + name};
    }
    return line;
}
