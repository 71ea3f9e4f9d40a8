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
    server_.SeedCard("alice", "contacts", "bob.vcf", Card("uid-bob", "Bob", "Baker"));
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
    EXPECT_NE(dry.out.find("dry run: received 2, sent 1,"), std::string::npos) << dry.out;
    EXPECT_EQ(ServerCardCount(), 2u);

    const ToolOutcome sync = Sync();
    EXPECT_EQ(sync.status, 0) << sync.err;
    EXPECT_EQ(sync.out, "received 2, sent 1, deleted here 0, deleted there 0, conflicts held 0\n");
    EXPECT_EQ(ServerCardCount(), 3u);
    const ToolOutcome after = Command({"status"});
    EXPECT_EQ(after.out.find("last sync: never"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("local changes waiting: 0"), std::string::npos) << after.out;

    // The password reaches no file of ours.
    EXPECT_EQ(ReadWholeFile(folder_.DatabaseFile()).find("alice-secret"), std::string::npos);

    // Without a keychain, each sync is given the password.
    const ToolOutcome none = Run({"sync", "--database", Database()});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("--password-stdin or --password-file"), std::string::npos) << none.err;
    const ToolOutcome stdinPassword = Run({"sync", "--password-stdin", "--database", Database()}, "alice-secret\n");
    EXPECT_EQ(stdinPassword.status, 0) << stdinPassword.err;
    WritePasswordFile("alice-secret", 0644);
    const ToolOutcome readable = Sync();
    EXPECT_EQ(readable.status, 1);
    EXPECT_NE(readable.err.find(PasswordFile()), std::string::npos) << readable.err;

    const ToolOutcome forget = Command({"forget"});
    EXPECT_EQ(forget.status, 0);
    EXPECT_NE(Command({"status"}).out.find("no sync account is set up"), std::string::npos);
    // Every address stays.
    const std::string csv = Run({"export", "-", "--database", Database(), "--format", "csv"}).out;
    for (const char* name : {"Ann", "Bob", "Cy"}) EXPECT_NE(csv.find(name), std::string::npos) << name;
}

TEST_F(SyncToolTest, AWrongPasswordEndsWithStatusThreeAndIsNeverShown) {
    WritePasswordFile("not-the-password");
    const ToolOutcome setup = Setup(server_.BaseUrl());
    EXPECT_EQ(setup.status, 3) << setup.err;
    EXPECT_EQ(setup.err.find("not-the-password"), std::string::npos);
    EXPECT_NE(Command({"status"}).out.find("no sync account is set up"), std::string::npos);

    WritePasswordFile("alice-secret");
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);
    WritePasswordFile("not-the-password");
    const ToolOutcome sync = Sync();
    EXPECT_EQ(sync.status, 3) << sync.err;
    EXPECT_EQ(sync.out.find("not-the-password") + sync.err.find("not-the-password"), 2 * std::string::npos);
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
    auto check = Phone();
    EXPECT_NE(check.Get(Book() + "ann.vcf")->text.find("N:Here;Ann"), std::string::npos);
    EXPECT_EQ(Command({"conflicts"}).out, "no conflicts held\n");
}

TEST_F(SyncToolTest, MostCardsGoneStopsWithStatusFiveUntilForced) {
    for (const char* name : {"ann", "bob", "cy"})
        server_.SeedCard("alice", "contacts", std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee"));
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);
    ASSERT_EQ(Sync().status, 0);
    auto phone = Phone();
    for (const char* name : {"ann", "bob", "cy"}) {
        const std::string href = Book() + name + ".vcf";
        ASSERT_EQ(phone.Delete(href, EtagOf(href)).outcome, carddav::WriteOutcome::Deleted);
    }
    const ToolOutcome stopped = Sync();
    EXPECT_EQ(stopped.status, 5) << stopped.err;
    EXPECT_NE(stopped.err.find("--force-delete"), std::string::npos) << stopped.err;
    EXPECT_NE(Run({"export", "-", "--database", Database(), "--format", "csv"}).out.find("bob"), std::string::npos);
    const ToolOutcome forced = Sync({"--force-delete"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(forced.out.find("deleted here 3"), std::string::npos) << forced.out;
}

TEST_F(SyncToolTest, ARunKilledDuringUploadsIsFinishedByTheNextWithoutDuplicates) {
    constexpr int kAddresses = 40;
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
    for (int wait = 0; wait < 3000 && ServerCardCount() < 3; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be killed";
    // Its lock file stays behind; the lock went with the process.
    EXPECT_TRUE(std::filesystem::exists(Database() + ".sync-lock"));
    const std::size_t uploaded = ServerCardCount();
    EXPECT_GE(uploaded, 3u);
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
    const ToolOutcome third = Sync();
    EXPECT_EQ(third.out, "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0\n");
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
