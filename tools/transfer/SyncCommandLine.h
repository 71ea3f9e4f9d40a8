#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The command line of `orvane-transfer sync`, taken apart (the arguments
// after "sync"):
//   sync setup URL --user NAME [--password-stdin | --password-file FILE]
//              [--addressbook NAME] [--ca-file FILE] [--database PATH]
//   sync [--password-stdin | --password-file FILE] [--database PATH] [--dry-run] [--force-delete]
//        [--retry-refused]
//   sync status [--database PATH]
//   sync conflicts [--database PATH]
//   sync resolve ID --take local|server [--database PATH]
//   sync forget [--database PATH]
// A wrong command line raises UsageError (TransferCommandLine.h).
struct SyncCommandLine {
    enum class Action { Sync, Setup, Status, Conflicts, Resolve, Forget };

    Action action = Action::Sync;
    std::string url;
    std::string user;
    std::string addressBook;
    std::string caFile;
    std::string database;  // empty: the address-book window's database
    bool passwordStdin = false;
    std::string passwordFile;
    bool dryRun = false;
    bool forceDelete = false;
    bool retryRefused = false;
    std::int32_t addressId = 0;
    bool takeLocal = true;

    static SyncCommandLine Parse(const std::vector<std::string>& arguments);
};

extern const char* const kSyncUsage;
