// Two orvane-transfer sync runs on one database at once, as a script and a
// timer (or the window) may start them: one syncs, the other leaves it be.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "RadicaleProxy.h"
#include "SyncToolSupport.h"

extern char** environ;

namespace orvane::test {
namespace {

constexpr int kAnotherRun = 7;

class SyncConcurrencyToolTest : public SyncToolFixture {
protected:
    // Starts `orvane-transfer sync` on the database without waiting for it;
    // its output goes to files named after the tag.
    pid_t StartSync(const std::string& database, const std::string& tag) const {
        std::vector<std::string> arguments{ORVANE_TRANSFER, "sync", "--password-file", PasswordFile(), "--database",
                                           database};
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        const std::string out = (folder_.Root() / (tag + ".out")).string();
        const std::string err = (folder_.Root() / (tag + ".err")).string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t child = -1;
        const int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(started, 0);
        return child;
    }
    static int ExitStatus(pid_t child) {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Output(const std::string& file) const { return ReadWholeFile(folder_.Root() / file); }
    std::size_t AddressCount(const std::string& database) const {
        const std::string csv = Run({"export", "-", "--database", database, "--format", "csv"}).out;
        return static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) - 1;
    }
};

TEST_F(SyncConcurrencyToolTest, TwoRunsStartedTogetherStoreEveryCardOnce) {
    constexpr std::size_t kCards = 20;
    for (std::size_t i = 0; i < kCards; ++i)
        server_.SeedCard("alice", "contacts", "c" + std::to_string(i) + ".vcf",
                         Card("uid-" + std::to_string(i), "Person", "N" + std::to_string(i)));
    // Two runs that both list the book get their listings at the same
    // moment, as when both are started together on a fast server. A run
    // listing alone waits two seconds for the other's listing: long after
    // the other has started and met the lock.
    const RadicaleProxy together(RadicaleProxy::Behaviour::AnswerListingsTogether, server_.Port(),
                                 server_.BookFolder("alice", "contacts"), "/alice/contacts/");
    ASSERT_EQ(Setup(together.BaseUrl()).status, 0);

    const pid_t one = StartSync(Database(), "one");
    const pid_t two = StartSync(Database(), "two");
    const std::map<std::string, int> runs{{"one", ExitStatus(one)}, {"two", ExitStatus(two)}};
    // One stored the cards; the other found it running and said so.
    EXPECT_EQ((std::multiset<int>{runs.at("one"), runs.at("two")}), (std::multiset<int>{0, kAnotherRun}));
    for (const auto& [tag, status] : runs) {
        if (status != kAnotherRun) continue;
        EXPECT_EQ(Output(tag + ".err"),
                  "orvane-transfer: Another sync of this address book is running; try again when it has ended.\n");
    }
    EXPECT_EQ(AddressCount(Database()), kCards);
}

}  // namespace
}  // namespace orvane::test
