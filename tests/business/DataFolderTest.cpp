// The user's own data folder of an installed program, and of a program
// folder copied without a Database folder: what the first start makes, with
// which permissions, and what it leaves alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "CBusinessTier.h"
#include "FirstStart.h"
#include "adodb/Connection.h"
#include "core/App.h"

namespace fs = std::filesystem;

namespace {

unsigned Mode(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A fresh XDG_DATA_HOME, under the usual umask, for a program installed
// under a system prefix (no Database folder beside the test program).
class UserDataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        temp_ = fs::temp_directory_path() /
                ("orvane-data-folder-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(temp_);
        ::setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
        orvane::App::SetPath("");
        savedUmask_ = ::umask(022);
        for (const char* name : {"Lists", "Documents"}) fs::create_directories(Shared(name));
    }
    void TearDown() override {
        ::umask(savedUmask_);
        orvane::App::SetPath("");
        ::unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        fs::remove_all(temp_, ec);
    }
    fs::path DataHome() const { return temp_ / "home" / ".local" / "share"; }
    fs::path Folder() const { return DataHome() / "orvane"; }
    fs::path Database() const { return Folder() / "Database" / "Addressbook.mdb"; }
    static fs::path Shared(const char* name) { return fs::path(orvane::App::SharedDataFolder()) / name; }

    fs::path temp_;
    mode_t savedUmask_ = 022;
};

}  // namespace

TEST_F(UserDataFolder, WhatTheFirstStartMakesOnlyTheUserCanRead) {
    fs::create_directories(temp_ / "home");
    FirstStart::PrepareApplicationFolder();

    for (const fs::path& folder : {DataHome().parent_path(), DataHome(), Folder(), Folder() / "Database"})
        EXPECT_EQ(Mode(folder), 0700u) << folder;
    EXPECT_EQ(Mode(Database()), 0600u);

    // The engine's journal, while a change is under way.
    {
        orvane::adodb::Connection connection;
        connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Database().string() + ";");
        connection.Execute("BEGIN");
        connection.Execute("INSERT INTO tblAddress (FirstName) VALUES ('Ada')");
        ASSERT_TRUE(fs::exists(Database().string() + "-journal"));
        EXPECT_EQ(Mode(Database().string() + "-journal"), 0600u);
        connection.Execute("ROLLBACK");
    }

    ASSERT_EQ(CBusinessTier::MakeDailyBackup(), "");
    const fs::path backups = Folder() / "Database" / "Backups";
    EXPECT_EQ(Mode(backups), 0700u);
    int copies = 0;
    for (const auto& entry : fs::directory_iterator(backups)) {
        EXPECT_EQ(Mode(entry.path()), 0600u) << entry.path();
        ++copies;
    }
    EXPECT_EQ(copies, 1);
}

TEST_F(UserDataFolder, FoldersTheUserMadeKeepTheirPermissions) {
    fs::create_directories(Folder() / "Database");
    fs::permissions(Folder(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(Folder() / "Database", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);

    FirstStart::PrepareApplicationFolder();

    EXPECT_EQ(Mode(Folder()), 0755u);
    EXPECT_EQ(Mode(Folder() / "Database"), 0750u);
    // The database is the program's: private all the same.
    EXPECT_EQ(Mode(Database()), 0600u);

    // A database the user chose to share stays as they set it.
    fs::permissions(Database(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    FirstStart::PrepareApplicationFolder();
    EXPECT_EQ(Mode(Database()), 0640u);
}

TEST_F(UserDataFolder, TheUsersOwnLinksAreKeptAtEveryStart) {
    FirstStart::PrepareApplicationFolder();
    for (const char* name : {"Lists", "Documents"}) {
        const fs::path own = temp_ / "mine" / name;
        fs::create_directories(own);
        fs::remove(Folder() / name);
        fs::create_directory_symlink(own, Folder() / name);
    }
    for (int start = 0; start < 2; ++start) {
        FirstStart::PrepareApplicationFolder();
        for (const char* name : {"Lists", "Documents"})
            EXPECT_EQ(fs::read_symlink(Folder() / name), temp_ / "mine" / name) << name;
    }
}

// A build folder, or a copy of the program's folder, with its own lists but
// no Database folder: the program keeps its addresses in the user's data
// folder and reads the lists beside it.
TEST_F(UserDataFolder, AProgramFolderWithoutADatabaseLendsItsOwnListsToTheDataFolder) {
    const fs::path copied = temp_ / "copied";
    fs::create_directories(copied);
    fs::copy_file(ORVANE_TRANSFER, copied / "orvane-transfer");
    for (const char* name : {"Lists", "Documents"}) fs::create_directories(copied / name);
    std::ofstream(copied / "Lists" / "StateProvince.txt") << "Ontario\r\n";
    std::ofstream(copied / "Lists" / "Country.txt") << "Canada\r\n";

    const std::string command = "XDG_DATA_HOME=" + Quote(DataHome().string()) + " " +
                                Quote((copied / "orvane-transfer").string()) + " export " +
                                Quote((temp_ / "out.csv").string()) + " 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_TRUE(fs::is_regular_file(Database()));
    for (const char* name : {"Lists", "Documents"}) {
        ASSERT_TRUE(fs::is_symlink(Folder() / name)) << name;
        EXPECT_EQ(fs::canonical(Folder() / name), fs::canonical(copied / name)) << name;
    }
    EXPECT_TRUE(fs::is_regular_file(Folder() / "Lists" / "StateProvince.txt"));
}
