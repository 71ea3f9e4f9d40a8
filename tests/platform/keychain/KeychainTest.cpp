// The keychain against a real Secret Service: GNOME Keyring on a private
// session bus, started by with-keyring.sh around this program.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "ErrorOf.h"
#include "SecretTool.h"
#include "keychain/Keychain.h"

namespace {

using orvane::Keychain;
using orvane::test::RunProgram;
using orvane::test::SecretToolLookup;

// A key of its own for each test, so that no test sees another's password.
std::string KeyForThisTest(const std::string& suffix = "") {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return orvane::CardDavPasswordKey(std::string(test->name()) + suffix, "https://dav.example.org/");
}

// Every file below a folder that holds the bytes.
std::vector<std::filesystem::path> FilesHolding(const std::filesystem::path& folder, const std::string& bytes) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::ifstream in(it->path(), std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (content.find(bytes) != std::string::npos) found.push_back(it->path());
    }
    return found;
}

TEST(KeychainWithSecretService, StoresReadsBackOverwritesAndRemoves) {
    Keychain keychain;
    const std::string key = KeyForThisTest();

    keychain.Store(key, "first secret");
    EXPECT_EQ(keychain.Read(key), "first secret");
    auto lookup = SecretToolLookup("orvane", key);
    EXPECT_EQ(lookup.status, 0);
    EXPECT_EQ(lookup.output, "first secret");

    keychain.Store(key, "second secret");
    EXPECT_EQ(keychain.Read(key), "second secret");
    lookup = SecretToolLookup("orvane", key);
    EXPECT_EQ(lookup.output, "second secret");

    keychain.Remove(key);
    EXPECT_EQ(keychain.Read(key), std::nullopt);
    lookup = SecretToolLookup("orvane", key);
    EXPECT_NE(lookup.status, 0);
    EXPECT_EQ(lookup.output, "");
}

TEST(KeychainWithSecretService, AKeyNeverStoredHasNoPasswordAndRemovingItIsNoError) {
    Keychain keychain;
    EXPECT_EQ(keychain.Read(KeyForThisTest()), std::nullopt);
    EXPECT_NO_THROW(keychain.Remove(KeyForThisTest()));
}

TEST(KeychainWithSecretService, KeysAndServicesKeepTheirOwnPasswords) {
    Keychain orvane;
    Keychain other("another-program");
    const std::string alice = KeyForThisTest("alice");
    const std::string bob = KeyForThisTest("bob");
    orvane.Store(alice, "alice's");
    orvane.Store(bob, "bob's");
    other.Store(alice, "not orvane's");

    EXPECT_EQ(orvane.Read(alice), "alice's");
    EXPECT_EQ(orvane.Read(bob), "bob's");
    EXPECT_EQ(other.Read(alice), "not orvane's");
    EXPECT_EQ(SecretToolLookup("another-program", alice).output, "not orvane's");

    orvane.Remove(alice);
    EXPECT_EQ(orvane.Read(alice), std::nullopt);
    EXPECT_EQ(orvane.Read(bob), "bob's");
    EXPECT_EQ(other.Read(alice), "not orvane's");
}

TEST(KeychainWithSecretService, AnyTextComesBackExactly) {
    Keychain keychain;
    const std::string key = KeyForThisTest();
    for (const std::string& password :
         {std::string(" spaces at both ends "), std::string("quotes \" ' and \\ backslash"),
          std::string("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x94\x91"), std::string("tab\tand\nnewline inside"),
          std::string(2000, 'x')}) {
        keychain.Store(key, password);
        EXPECT_EQ(keychain.Read(key), password);
        EXPECT_EQ(SecretToolLookup("orvane", key).output, password);
    }
}

TEST(KeychainWithSecretService, APasswordItCannotHoldIsRefusedWithoutShowingIt) {
    Keychain keychain;
    const std::string key = KeyForThisTest();
    keychain.Store(key, "kept");
    using namespace std::string_literals;
    for (const std::string& password : {"before\0after"s, "latin1 caf\xE9"s, ""s}) {
        const orvane::Error e = orvane::test::ErrorOf([&] { keychain.Store(key, password); });
        EXPECT_EQ(e.Number(), orvane::keychain::errnum::NotStorable);
        if (!password.empty()) {
            EXPECT_EQ(e.Description().find(password.substr(0, 5)), std::string::npos) << e.Description();
        }
    }
    EXPECT_EQ(keychain.Read(key), "kept");
}

TEST(KeychainWithSecretService, APasswordStoredByAnotherSecretServiceClientIsRead) {
    const std::string key = KeyForThisTest();
    // Qt's keychain library marks its text passwords with type=plaintext.
    const auto stored = RunProgram(
        {"secret-tool", "store", "--label=stored elsewhere", "server", "orvane", "user", key, "type", "plaintext"},
        "from secret-tool");
    ASSERT_EQ(stored.status, 0);
    EXPECT_EQ(Keychain().Read(key), "from secret-tool");
}

TEST(KeychainWithSecretService, ThePasswordIsInNoPlainFile) {
    // Made while the test runs, so that it is in no file beforehand (not even this program).
    const std::string password = "look for me " + std::to_string(std::random_device()()) + "-" +
                                 std::to_string(std::random_device()());
    Keychain().Store(KeyForThisTest(), password);
    for (const char* folder : {"HOME", "XDG_RUNTIME_DIR"}) {
        const char* path = std::getenv(folder);
        ASSERT_NE(path, nullptr) << folder;
        EXPECT_EQ(FilesHolding(path, password), std::vector<std::filesystem::path>{}) << folder;
    }
    EXPECT_EQ(FilesHolding(std::filesystem::current_path(), password), std::vector<std::filesystem::path>{});
}

// A command-line program has no Qt application; the keychain makes one and
// leaves the C locale as the program had it. Runs in a fresh process, where
// no application exists yet.
TEST(KeychainWithSecretService, AProgramWithoutQtGetsItsAnswerAndKeepsItsLocale) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("LC_ALL", "C.UTF-8", 1);
            std::setlocale(LC_ALL, "C");
            Keychain keychain;
            keychain.Store(KeyForThisTest(), "in a fresh process");
            const bool answered = keychain.Read(KeyForThisTest()) == "in a fresh process";
            const bool localeKept = std::string(std::setlocale(LC_ALL, nullptr)) == "C";
            std::exit((answered ? 0 : 1) + (localeKept ? 0 : 2));
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
