// Passwords from standard input and from files: real pipes, real files with
// real permissions.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "ErrorOf.h"
#include "TestKit.h"
#include "core/Error.h"
#include "core/PasswordInput.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class PasswordInput : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orvane-password.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A file holding bytes, with the permissions given.
    std::string File(const std::string& name, const std::string& bytes, fs::perms perms = fs::perms(0600)) const {
        return orvane::test::WritePasswordFile(folder_ / name, bytes, perms);
    }

    // The error a read of the file raises (or a failure when it reads).
    static orvane::Error RefusalOf(const std::string& path) {
        SCOPED_TRACE(path);
        return orvane::test::ErrorOf([&] { orvane::ReadPasswordFile(path); });
    }

    fs::path folder_;
};

// What a writer on the other end of a pipe sends, read as a password. The
// reader may stop early (an oversized input): the writer then just ends,
// and `sent` tells how much it got into the pipe.
std::string FromPipe(const std::string& bytes, std::size_t* sent = nullptr) {
    std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    if (pipe(ends) != 0) throw std::runtime_error("pipe");
    std::size_t written = 0;
    std::thread writer([&] {
        while (written < bytes.size()) {
            const ssize_t n = write(ends[1], bytes.data() + written, bytes.size() - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
        close(ends[1]);
    });
    std::string password;
    std::exception_ptr failure;
    try {
        password = orvane::ReadPassword(ends[0], "the pipe");
    } catch (...) {
        failure = std::current_exception();
    }
    close(ends[0]);
    writer.join();
    if (sent != nullptr) *sent = written;
    if (failure) std::rethrow_exception(failure);
    return password;
}

TEST_F(PasswordInput, OneLineEndAtTheEndIsNotPartOfThePassword) {
    EXPECT_EQ(FromPipe("s3cret"), "s3cret");
    EXPECT_EQ(FromPipe("s3cret\n"), "s3cret");
    EXPECT_EQ(FromPipe("s3cret\r\n"), "s3cret");
    // Only one: anything before it is the password's own.
    EXPECT_EQ(FromPipe("s3cret\n\n"), "s3cret\n");
    EXPECT_EQ(FromPipe("s3cret\r\n\r\n"), "s3cret\r\n");
    EXPECT_EQ(FromPipe("s3cret\r"), "s3cret\r");
    EXPECT_EQ(FromPipe("  spaced out \t\n"), "  spaced out \t");
    EXPECT_EQ(FromPipe("line one\nline two\n"), "line one\nline two");
    EXPECT_EQ(FromPipe("Gr\xC3\xBC\xC3\x9F" "e\n"), "Gr\xC3\xBC\xC3\x9F" "e");

    EXPECT_EQ(orvane::ReadPasswordFile(File("lf", "from a file\n")), "from a file");
    EXPECT_EQ(orvane::ReadPasswordFile(File("crlf", "from a file\r\n")), "from a file");
    EXPECT_EQ(orvane::ReadPasswordFile(File("none", "from a file")), "from a file");
}

TEST_F(PasswordInput, AnEmptyPasswordIsRefused) {
    for (const std::string& bytes : {""s, "\n"s, "\r\n"s}) {
        const orvane::Error fromPipe = orvane::test::ErrorOf([&] { FromPipe(bytes); });
        EXPECT_EQ(fromPipe.Number(), orvane::kPasswordRefused);
        EXPECT_EQ(fromPipe.Description(), "No password: the pipe is empty.");
        const std::string path = File("empty", bytes);
        const auto refusal = RefusalOf(path);
        EXPECT_EQ(refusal.Number(), orvane::kPasswordRefused);
        EXPECT_NE(refusal.Description().find(path), std::string::npos) << refusal.Description();
    }
}

TEST_F(PasswordInput, StandardInputIsReadToItsEnd) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string bytes = "from standard input\n";
    ASSERT_EQ(write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(ends[1]);
    const int saved = dup(STDIN_FILENO);
    dup2(ends[0], STDIN_FILENO);
    close(ends[0]);
    std::string password;
    EXPECT_NO_THROW(password = orvane::ReadPasswordFromStandardInput());
    dup2(saved, STDIN_FILENO);
    close(saved);
    EXPECT_EQ(password, "from standard input");
}

TEST_F(PasswordInput, AFileOtherUsersCanReachIsRefusedByName) {
    for (const auto mode : {0640, 0604, 0620, 0602, 0610, 0601, 0644, 0666}) {
        const std::string path = File("loose", "s3cret\n", fs::perms(mode));
        const auto refusal = RefusalOf(path);
        EXPECT_EQ(refusal.Number(), orvane::kPasswordRefused) << std::oct << mode;
        EXPECT_NE(refusal.Description().find("The password file " + path + " is open to other users"),
                  std::string::npos)
            << refusal.Description();
        EXPECT_NE(refusal.Description().find("chmod 600 " + path), std::string::npos) << refusal.Description();
        EXPECT_EQ(refusal.Description().find("s3cret"), std::string::npos) << refusal.Description();
    }
    // Only its owner: read and write, read only, even with the owner's execute bit.
    for (const auto mode : {0600, 0400, 0700}) {
        EXPECT_EQ(orvane::ReadPasswordFile(File("private", "s3cret\n", fs::perms(mode))), "s3cret")
            << std::oct << mode;
    }
    // A link leads to the file itself, whose own permissions count.
    const std::string target = File("target", "linked\n");
    fs::create_symlink(target, folder_ / "link");
    EXPECT_EQ(orvane::ReadPasswordFile((folder_ / "link").string()), "linked");
    fs::permissions(target, fs::perms(0644));
    EXPECT_EQ(RefusalOf((folder_ / "link").string()).Number(), orvane::kPasswordRefused);
}

TEST_F(PasswordInput, OnlyARegularFileIsRead) {
    const fs::path folder = folder_ / "a folder";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms(0700));
    const fs::path fifo = folder_ / "a pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A pipe nobody writes to is refused rather than waited on.
    for (const std::string& path : {folder.string(), fifo.string(), "/dev/null"s}) {
        const auto refusal = RefusalOf(path);
        EXPECT_EQ(refusal.Number(), orvane::kPasswordRefused) << path;
        EXPECT_EQ(refusal.Description(), "The password file " + path + " is not a regular file; it is not read.");
    }
}

TEST_F(PasswordInput, AMissingOrOversizedFileIsAnErrorNamingIt) {
    const std::string missing = (folder_ / "missing").string();
    const auto notFound = RefusalOf(missing);
    EXPECT_EQ(notFound.Number(), orvane::errnum::FileNotFound);
    EXPECT_EQ(notFound.Description(), "Password file not found: " + missing);

    const std::string big = File("big", std::string(orvane::kMaxPasswordBytes + 1, 'x'));
    const auto tooLong = RefusalOf(big);
    EXPECT_EQ(tooLong.Number(), orvane::kPasswordRefused);
    EXPECT_NE(tooLong.Description().find(big), std::string::npos) << tooLong.Description();
    EXPECT_EQ(RefusalOf(File("big with a line end", std::string(orvane::kMaxPasswordBytes + 1, 'x') + "\r\n")).Number(),
              orvane::kPasswordRefused);
    // Right at the limit it is still a password, with or without its line end.
    for (const std::string& end : {""s, "\n"s, "\r\n"s}) {
        EXPECT_EQ(orvane::ReadPasswordFile(File("limit", std::string(orvane::kMaxPasswordBytes, 'y') + end)).size(),
                  orvane::kMaxPasswordBytes);
    }
    // A stream far longer than any password is refused without reading it all.
    const std::string flood(256 * orvane::kMaxPasswordBytes, 'z');
    std::size_t sent = 0;
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { FromPipe(flood, &sent); }), orvane::kPasswordRefused);
    EXPECT_LT(sent, flood.size());
    EXPECT_EQ(FromPipe(std::string(orvane::kMaxPasswordBytes, 'z') + "\n").size(), orvane::kMaxPasswordBytes);
}

}  // namespace
