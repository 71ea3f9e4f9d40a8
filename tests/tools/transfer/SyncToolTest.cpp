#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "PhoneClient.h"
#include "SyncToolSupport.h"
#include "carddav/CardDavClient.h"

extern char** environ;

namespace orvane::test {
namespace {

class SyncToolTest : public SyncToolFixture {
protected:
    std::string Book() const { return server_.BaseUrl() + "alice/contacts/"; }
    carddav::CardDavClient Phone() const { return orvane::test::PhoneClient(Book()); }
    std::string EtagOf(const std::string& href) const {
        auto phone = Phone();
        for (const auto& card : phone.ListEtags(Book()))
            if (card.url == href) return card.etag;
        return {};
    }
};

TEST_F(SyncToolTest, SetupFromTheServersRootThenSyncReportsWhatItDid) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    folder_.InsertAddress("Cy", "Dean", "1 Main St", "12345", "", "", "555");

    const ToolOutcome setup = Setup(server_.BaseUrl());
    EXPECT_EQ(setup.status, 0) << setup.err;
    EXPECT_NE(setup.out.find("address book " + Book() + " set up for alice"), std::string::npos) << setup.out;
    // No keychain runs in this session: said, and still set up.
    EXPECT_NE(setup.out.find("the password was not kept"), std::string::npos) << setup.out;

    const ToolOutcome before = Command({"status"});
    EXPECT_EQ(before.status, 0);
    EXPECT_NE(before.out.find("account: alice at " + server_.BaseUrl()), std::string::npos) << before.out;
    EXPECT_NE(before.out.find("address book: " + Book()), std::string::npos);
    EXPECT_NE(before.out.find("last sync: never"), std::string::npos);
    EXPECT_NE(before.out.find("local changes waiting: 1"), std::string::npos);

    const ToolOutcome dry = Sync({"--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("would send: Cy Dean"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("dry run: received 1, sent 1,"), std::string::npos) << dry.out;

    const ToolOutcome sync = Sync();
    EXPECT_EQ(sync.status, 0) << sync.err;
    EXPECT_EQ(sync.out, "received 1, sent 1, deleted here 0, deleted there 0, conflicts held 0\n");
    const ToolOutcome after = Command({"status"});
    EXPECT_EQ(after.out.find("last sync: never"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("local changes waiting: 0"), std::string::npos) << after.out;
    // The password reaches no file of ours.
    EXPECT_EQ(ReadWholeFile(folder_.DatabaseFile()).find("alice-secret"), std::string::npos);

    const ToolOutcome forget = Command({"forget"});
    EXPECT_EQ(forget.status, 0);
    EXPECT_NE(forget.out.find("every address stays"), std::string::npos) << forget.out;
    EXPECT_NE(Command({"status"}).out.find("no sync account is set up"), std::string::npos);
}

// Without a keychain, each sync is given the password; a wrong one ends
// with status 3 and is never shown, at setup as at a sync.
struct PasswordWay {
    const char* name;
    std::vector<std::string> options;
    std::string input;     // standard input
    std::string password;  // in the password file
    mode_t mode;           // of the password file
    int status;
    std::string said;      // on standard error
};

TEST_F(SyncToolTest, EachWayOfGivingThePasswordEndsWithItsStatus) {
    WritePasswordFile("not-the-password");
    const ToolOutcome refused = Setup(server_.BaseUrl());
    EXPECT_EQ(refused.status, 3) << refused.err;
    EXPECT_EQ(refused.err.find("not-the-password"), std::string::npos);
    EXPECT_NE(Command({"status"}).out.find("no sync account is set up"), std::string::npos);
    WritePasswordFile("alice-secret");
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);

    const std::vector<std::string> file{"--password-file", PasswordFile()};
    const PasswordWay ways[] = {
        {"none", {}, "", "", 0600, 1, "--password-stdin or --password-file"},
        {"on standard input", {"--password-stdin"}, "alice-secret\n", "", 0600, 0, ""},
        {"in a file", file, "", "alice-secret", 0600, 0, ""},
        {"in a file others can read", file, "", "alice-secret", 0644, 1, PasswordFile()},
        {"wrong, in a file", file, "", "not-the-password", 0600, 3, ""},
    };
    for (const PasswordWay& way : ways) {
        SCOPED_TRACE(way.name);
        std::filesystem::remove(PasswordFile());
        if (!way.password.empty()) WritePasswordFile(way.password, way.mode);
        std::vector<std::string> arguments{"sync", "--database", Database()};
        arguments.insert(arguments.end(), way.options.begin(), way.options.end());
        const ToolOutcome run = Run(arguments, way.input);
        EXPECT_EQ(run.status, way.status) << run.out << run.err;
        EXPECT_NE(run.err.find(way.said), std::string::npos) << run.err;
        EXPECT_EQ((run.out + run.err).find("not-the-password"), std::string::npos);
    }
}

TEST_F(SyncToolTest, AConflictEndsWithStatusSixIsListedAndResolvedOnTheNextRun) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);
    ASSERT_EQ(Sync().status, 0);
    folder_.ExecSql("UPDATE tblAddress SET LastName = 'Here'");
    auto phone = Phone();
    ASSERT_EQ(phone.Update(Book() + "ann.vcf", EtagOf(Book() + "ann.vcf"), Card("uid-ann", "Ann", "There")).outcome,
              carddav::WriteOutcome::Updated);

    const ToolOutcome held = Sync();
    EXPECT_EQ(held.status, 6) << held.err;
    EXPECT_NE(held.out.find("conflicts held 1"), std::string::npos);
    const ToolOutcome conflicts = Command({"conflicts"});
    EXPECT_EQ(conflicts.status, 0);
    EXPECT_EQ(conflicts.out, "1\tlast name\tours: Here\tserver: There\n");
    EXPECT_NE(Command({"status"}).out.find("conflicts held: 1"), std::string::npos);

    EXPECT_EQ(Command({"resolve", "2", "--take", "local"}).status, 1) << "no conflict for address 2";
    const ToolOutcome resolve = Command({"resolve", "1", "--take", "local"});
    EXPECT_EQ(resolve.status, 0) << resolve.err;
    const ToolOutcome applied = Sync();
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(applied.out, "received 0, sent 1, deleted here 0, deleted there 0, conflicts held 0\n");
    EXPECT_EQ(Command({"conflicts"}).out, "no conflicts held\n");
}

TEST_F(SyncToolTest, MostCardsGoneStopsWithStatusFiveUntilForced) {
    for (const char* name : {"ann", "bob"})
        server_.SeedCard("alice", "contacts", std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee"));
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);
    ASSERT_EQ(Sync().status, 0);
    auto phone = Phone();
    for (const char* name : {"ann", "bob"}) {
        const std::string href = Book() + name + ".vcf";
        ASSERT_EQ(phone.Delete(href, EtagOf(href)).outcome, carddav::WriteOutcome::Deleted);
    }
    const ToolOutcome stopped = Sync();
    EXPECT_EQ(stopped.status, 5) << stopped.err;
    EXPECT_NE(stopped.err.find("--force-delete"), std::string::npos) << stopped.err;
    EXPECT_NE(Run({"export", "-", "--database", Database(), "--format", "csv"}).out.find("bob"), std::string::npos);
    const ToolOutcome forced = Sync({"--force-delete"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(forced.out.find("deleted here 2"), std::string::npos) << forced.out;
}

TEST_F(SyncToolTest, ARunKilledDuringUploadsIsFinishedByTheNextWithoutDuplicates) {
    constexpr int kAddresses = 8;
    for (int i = 0; i < kAddresses; ++i) folder_.InsertAddress("Person", "Number" + std::to_string(i));
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);

    std::vector<std::string> arguments{ORVANE_TRANSFER, "sync", "--password-file", PasswordFile(), "--database",
                                       Database()};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Killed once some of the cards are on the server, in the middle of the batch.
    for (int wait = 0; wait < 10000 && ServerCardCount() < 2; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be killed";
    // Its lock file stays behind; the lock went with the process.
    EXPECT_TRUE(std::filesystem::exists(Database() + ".sync-lock"));
    const std::size_t uploaded = ServerCardCount();
    EXPECT_GE(uploaded, 2u);
    EXPECT_LT(uploaded, static_cast<std::size_t>(kAddresses));

    const ToolOutcome second = Sync();
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(ServerCardCount(), static_cast<std::size_t>(kAddresses));
    // Every address once on the server and once here.
    auto phone = Phone();
    std::multiset<std::string> names;
    for (const auto& card : phone.SyncCollection(Book(), "").changed) {
        const std::size_t n = card.text.find("\nN:");
        names.insert(card.text.substr(n + 3, card.text.find(';', n) - n - 3));
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kAddresses));
    for (int i = 0; i < kAddresses; ++i) EXPECT_EQ(names.count("Number" + std::to_string(i)), 1u) << i;
    const std::string csv = Run({"export", "-", "--database", Database(), "--format", "csv"}).out;
    EXPECT_EQ(static_cast<int>(std::count(csv.begin(), csv.end(), '\n')), kAddresses + 1);
}

class SyncToolTlsTest : public SyncToolFixture {
protected:
    SyncToolTlsTest() : SyncToolFixture(RadicaleServer::Options{true, {{"alice", "alice-secret"}}}) {}
};

TEST_F(SyncToolTlsTest, AnUntrustedCertificateIsRefusedWithItsFingerprintAndTrustedWithCaFile) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    const ToolOutcome refused = Setup(server_.BaseUrl());
    EXPECT_EQ(refused.status, 4) << refused.err;
    std::string fingerprint = RunCommand("openssl x509 -noout -fingerprint -sha256 -in " +
                                         ShellQuote(server_.CertificateFile().string()));
    fingerprint = fingerprint.substr(fingerprint.find('=') + 1);
    fingerprint.erase(fingerprint.find_last_not_of("\r\n") + 1);
    EXPECT_NE(refused.err.find(fingerprint), std::string::npos) << refused.err << " / " << fingerprint;

    // Trusted for this account: kept in the database, so the file may go.
    const std::filesystem::path copy = folder_.Root() / "server.pem";
    std::filesystem::copy_file(server_.CertificateFile(), copy);
    const ToolOutcome trusted = Setup(server_.BaseUrl(), {"--ca-file", copy.string()});
    EXPECT_EQ(trusted.status, 0) << trusted.err;
    std::filesystem::remove(copy);
    const ToolOutcome sync = Sync();
    EXPECT_EQ(sync.status, 0) << sync.err;
    EXPECT_NE(sync.out.find("received 1"), std::string::npos);
}

// Trusted, but made out to 127.0.0.1 and reached as localhost: the advice is
// about the name, not about trusting the certificate.
TEST_F(SyncToolTlsTest, ACertificateForAnotherNameIsRefusedNamingItsName) {
    const ToolOutcome refused = Setup("https://localhost:" + std::to_string(server_.Port()) + "/",
                                      {"--ca-file", server_.CertificateFile().string()});
    EXPECT_EQ(refused.status, 4) << refused.err;
    EXPECT_NE(refused.err.find("for 127.0.0.1"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.err.find("--ca-file"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace orvane::test
