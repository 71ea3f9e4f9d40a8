#include <gtest/gtest.h>

#include "SyncCommandLine.h"
#include "TransferCommandLine.h"

namespace {

using Action = SyncCommandLine::Action;
using Args = std::vector<std::string>;

std::string UsageMessage(const Args& arguments) {
    try {
        SyncCommandLine::Parse(arguments);
    } catch (const UsageError& e) {
        return e.message;
    }
    return "(accepted)";
}

TEST(SyncCommandLine, EachCommandWithItsOptions) {
    const SyncCommandLine setup =
        SyncCommandLine::Parse({"setup", "https://dav.example.org/", "--user", "ann", "--password-file=pw",
                                "--addressbook", "Family", "--ca-file", "ca.pem", "--database", "db.mdb"});
    EXPECT_EQ(setup.action, Action::Setup);
    EXPECT_EQ(setup.url, "https://dav.example.org/");
    EXPECT_EQ(setup.user, "ann");
    EXPECT_EQ(setup.passwordFile, "pw");
    EXPECT_EQ(setup.addressBook, "Family");
    EXPECT_EQ(setup.caFile, "ca.pem");
    EXPECT_EQ(setup.database, "db.mdb");

    const SyncCommandLine sync =
        SyncCommandLine::Parse({"--password-stdin", "--dry-run", "--force-delete", "--retry-refused"});
    EXPECT_EQ(sync.action, Action::Sync);
    EXPECT_TRUE(sync.passwordStdin);
    EXPECT_TRUE(sync.dryRun);
    EXPECT_TRUE(sync.forceDelete);
    EXPECT_TRUE(sync.retryRefused);
    const SyncCommandLine plain = SyncCommandLine::Parse({});
    EXPECT_EQ(plain.action, Action::Sync);
    EXPECT_FALSE(plain.dryRun || plain.forceDelete || plain.passwordStdin || plain.retryRefused);

    EXPECT_EQ(SyncCommandLine::Parse({"status", "--database", "x"}).action, Action::Status);
    EXPECT_EQ(SyncCommandLine::Parse({"conflicts"}).action, Action::Conflicts);
    EXPECT_EQ(SyncCommandLine::Parse({"forget", "--database=x"}).database, "x");
    const SyncCommandLine resolve = SyncCommandLine::Parse({"resolve", "42", "--take", "server"});
    EXPECT_EQ(resolve.action, Action::Resolve);
    EXPECT_EQ(resolve.addressId, 42);
    EXPECT_FALSE(resolve.takeLocal);
    EXPECT_TRUE(SyncCommandLine::Parse({"resolve", "7", "--take=local"}).takeLocal);
}

TEST(SyncCommandLine, WrongCommandLinesAreRefusedWithTheReason) {
    EXPECT_EQ(UsageMessage({"pull"}), "unknown sync command 'pull'");
    EXPECT_EQ(UsageMessage({"setup", "--user", "ann"}), "sync setup needs one URL");
    EXPECT_EQ(UsageMessage({"setup", "https://a/"}), "sync setup needs --user NAME");
    EXPECT_EQ(UsageMessage({"setup", "https://a/", "https://b/", "--user", "ann"}), "sync setup needs one URL");
    EXPECT_EQ(UsageMessage({"--password-stdin", "--password-file", "pw"}),
              "--password-stdin and --password-file exclude each other");
    EXPECT_EQ(UsageMessage({"--dry-run", "--dry-run"}), "--dry-run is given twice");
    EXPECT_EQ(UsageMessage({"--dry-run=yes"}), "--dry-run takes no value");
    EXPECT_EQ(UsageMessage({"--database"}), "--database needs a value");
    EXPECT_EQ(UsageMessage({"--database="}), "--database needs a value");
    EXPECT_EQ(UsageMessage({"status", "--dry-run"}), "--dry-run does not belong to sync status");
    EXPECT_EQ(UsageMessage({"--user", "ann"}), "--user does not belong to sync");
    EXPECT_EQ(UsageMessage({"setup", "https://a/", "--user", "ann", "--force-delete"}),
              "--force-delete does not belong to sync setup");
    EXPECT_EQ(UsageMessage({"--verbose"}), "unknown option '--verbose'");
    EXPECT_EQ(UsageMessage({"status", "extra"}), "unexpected argument 'extra' for sync status");
    EXPECT_EQ(UsageMessage({"resolve", "--take", "local"}), "sync resolve needs one address ID");
    EXPECT_EQ(UsageMessage({"resolve", "12"}), "sync resolve needs --take local or --take server");
    EXPECT_EQ(UsageMessage({"resolve", "12", "--take", "both"}), "--take is local or server");
    EXPECT_EQ(UsageMessage({"resolve", "-3", "--take", "local"}), "unknown option '-3'");
    for (const char* id : {"0", "12a", "99999999999"})
        EXPECT_EQ(UsageMessage({"resolve", id, "--take", "local"}), "'" + std::string(id) + "' is no address ID") << id;
}

}  // namespace
