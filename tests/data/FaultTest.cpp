// The database under faults: locked by another process, read-only, not a
// database, the disk full, the folder missing. Each gives a clear error and
// nothing already stored is lost.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CDataDBTier.h"
#include "TempAppFolder.h"
#include "adodb/Connection.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::VariantArray;
using orvane::test::TempAppFolder;

namespace {

Variant NewAddress(const std::string& first, std::size_t fieldLength = 10) {
    VariantArray a(0, 7, 0, 0);
    a.At(0, 0) = 0;
    a.At(1, 0) = first;
    for (std::int32_t i = 2; i <= 7; ++i) a.At(i, 0) = std::string(fieldLength, 'y');
    return Variant(std::move(a));
}

std::string SaveError(const std::function<void()>& save) {
    try {
        save();
    } catch (const orvane::Error& e) {
        return e.Description();
    }
    return {};
}

// Runs fn in a child process and returns what it wrote to the pipe.
std::string InChild(const std::function<std::string()>& fn) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::string out = fn();
        ssize_t ignored = write(fds[1], out.data(), out.size());
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    std::string out;
    char buffer[1024];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return out;
}

std::int32_t StoredCount() {
    CDataDBTier tier;
    Variant list = tier.FillList();
    return list.IsArray() ? list.Array().UBound(2) + 1 : 0;
}

}  // namespace

TEST(Faults, DatabaseLockedByAnotherProcess) {
    TempAppFolder folder;
    CDataDBTier tier;
    tier.SaveAddress(NewAddress("Kept"));

    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t holder = fork();
    if (holder == 0) {
        orvane::adodb::Connection connection;
        connection.Open(folder.ConnectionString());
        connection.Execute("BEGIN EXCLUSIVE");
        char c = 'r';
        ssize_t ignored = write(ready[1], &c, 1);
        ignored = read(release[0], &c, 1);
        (void)ignored;
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    std::string error = SaveError([&] { tier.SaveAddress(NewAddress("Blocked")); });
    std::string listError = SaveError([&] { tier.FillList(); });
    ASSERT_EQ(write(release[1], "x", 1), 1);
    waitpid(holder, nullptr, 0);

    EXPECT_NE(error.find("locked"), std::string::npos) << error;
    EXPECT_NE(listError.find("locked"), std::string::npos) << listError;
    EXPECT_EQ(StoredCount(), 1);
    tier.SaveAddress(NewAddress("After"));
    EXPECT_EQ(StoredCount(), 2);
}

TEST(Faults, ReadOnlyDatabaseFile) {
    TempAppFolder folder;
    CDataDBTier().SaveAddress(NewAddress("Kept"));
    std::filesystem::permissions(folder.DatabaseFile(), std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::group_read |
                                                          std::filesystem::perms::others_read);
    std::filesystem::permissions(folder.Root(), std::filesystem::perms::all, std::filesystem::perm_options::add);
    std::filesystem::permissions(folder.Root() / "Database", std::filesystem::perms::all, std::filesystem::perm_options::add);
    // Root ignores permission bits, so the save runs as an unprivileged user.
    std::string error = InChild([&] {
        if (geteuid() == 0 && setuid(65534) != 0) return std::string("setuid failed");
        return SaveError([] { CDataDBTier().SaveAddress(NewAddress("Refused")); });
    });
    EXPECT_NE(error.find("read"), std::string::npos) << "expected a read-only error, got: " << error;
    EXPECT_EQ(StoredCount(), 1);
}

TEST(Faults, FileThatIsNotADatabase) {
    TempAppFolder folder(false);
    folder.WriteFile("Database/Addressbook.mdb", std::string(4096, 'Z'));
    std::string error = SaveError([] { CDataDBTier().SaveAddress(NewAddress("x")); });
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;
    std::string listError = SaveError([] { CDataDBTier().FillList(); });
    EXPECT_NE(listError.find("not a database"), std::string::npos) << listError;
    EXPECT_EQ(std::filesystem::file_size(folder.DatabaseFile()), 4096u);
}

TEST(Faults, DiskFullDuringASave) {
    TempAppFolder folder;
    CDataDBTier().SaveAddress(NewAddress("Kept"));
    auto sizeBefore = std::filesystem::file_size(folder.DatabaseFile());
    // A file size limit makes every write past it fail as on a full disk.
    std::string error = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(sizeBefore), static_cast<rlim_t>(sizeBefore)};
        setrlimit(RLIMIT_FSIZE, &limit);
        return SaveError([] {
            CDataDBTier tier;
            for (int i = 0; i < 200; ++i) tier.SaveAddress(NewAddress("Big" + std::to_string(i), 2000));
        });
    });
    EXPECT_FALSE(error.empty()) << "saving past the size limit reported no error";
    EXPECT_TRUE(error.find("full") != std::string::npos || error.find("I/O") != std::string::npos ||
                error.find("disk") != std::string::npos)
        << error;
    CDataDBTier tier;
    Variant list = tier.FillList();
    ASSERT_TRUE(list.IsArray());
    EXPECT_EQ(list.Array().At(1, 0).ToText().substr(0, 4), "Kept");
}

TEST(Faults, MissingDatabaseFolder) {
    TempAppFolder folder(false);
    std::filesystem::remove_all(folder.Root() / "Database");
    std::string error = SaveError([] { CDataDBTier().SaveAddress(NewAddress("x")); });
    EXPECT_NE(error.find("Addressbook.mdb"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(folder.Root() / "Database"));
}
