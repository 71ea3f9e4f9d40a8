#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ErrorOf.h"
#include "CBusinessTier.h"
#include "FirstStart.h"
#include "core/App.h"
#include "core/Error.h"

namespace fs = std::filesystem;

namespace {

// A fresh XDG_DATA_HOME for one test: the program behaves as installed under
// a system prefix (no Database folder beside the test program), so the
// application folder is <data home>/orvane.
class InstalledForEveryUser : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        dataHome_ = fs::temp_directory_path() /
                    ("orvane-first-start-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(dataHome_);
        ::setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
        orvane::App::SetPath("");
        // The copies installed with the program, under the prefix of the test
        // program's folder. Shared by every test here, so made and kept.
        for (const char* name : {"Lists", "Documents"}) fs::create_directories(Shared(name));
    }
    void TearDown() override {
        orvane::App::SetPath("");
        ::unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        fs::remove_all(dataHome_, ec);
    }
    fs::path Folder() const { return dataHome_ / "orvane"; }
    fs::path Shared(const char* name) const { return fs::path(orvane::App::SharedDataFolder()) / name; }

    static void Save(const std::string& first, const std::string& last) {
        CBusinessTier tier;
        tier.AddressID(0);
        tier.FirstName(first);
        tier.LastName(last);
        tier.SaveAddress();
    }
    static orvane::Variant List() { return CBusinessTier().FillList(); }

    fs::path dataHome_;
};

}  // namespace

TEST_F(InstalledForEveryUser, FirstStartMakesTheFolderWithAnEmptyDatabaseAndLinksToTheInstalledData) {
    ASSERT_EQ(orvane::App::Path(), Folder().string());
    ASSERT_FALSE(fs::exists(Folder()));

    FirstStart::PrepareApplicationFolder();

    EXPECT_TRUE(fs::is_regular_file(Folder() / "Database" / "Addressbook.mdb"));
    EXPECT_TRUE(List().IsEmpty());
    for (const char* name : {"Lists", "Documents"}) {
        ASSERT_TRUE(fs::is_symlink(Folder() / name)) << name;
        EXPECT_EQ(fs::read_symlink(Folder() / name), Shared(name));
    }
    // Nothing but the database is left in its folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Folder() / "Database")) ++entries;
    EXPECT_EQ(entries, 1);

    Save("Ada", "Lovelace");
    const orvane::Variant list = List();
    ASSERT_TRUE(list.IsArray());
    EXPECT_EQ(list.Array().At(1, 0).Text(), "Ada, Lovelace");
}

TEST_F(InstalledForEveryUser, LaterStartsKeepTheAddressesAndTheUsersOwnFolders) {
    FirstStart::PrepareApplicationFolder();
    Save("Grace", "Hopper");
    // The user puts a folder of their own lists in place of the link.
    fs::remove(Folder() / "Lists");
    fs::create_directory(Folder() / "Lists");
    std::ofstream(Folder() / "Lists" / "Country.txt") << "Atlantis\r\n";
    // A first start that died while building the database left its work file.
    std::ofstream(Folder() / "Database" / ("Addressbook.mdb.new-" + std::to_string(::getpid()))) << "half";

    FirstStart::PrepareApplicationFolder();

    const orvane::Variant list = List();
    ASSERT_TRUE(list.IsArray());
    EXPECT_EQ(list.Array().At(1, 0).Text(), "Grace, Hopper");
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(Folder() / "Lists")));
    EXPECT_TRUE(fs::exists(Folder() / "Lists" / "Country.txt"));
    EXPECT_TRUE(fs::is_symlink(Folder() / "Documents"));
}

TEST_F(InstalledForEveryUser, ALinkThatLeadsNowhereIsMadeAgain) {
    // Left by a program that was since removed, or started from elsewhere.
    fs::create_directories(Folder());
    fs::create_directory_symlink(dataHome_ / "removed" / "Lists", Folder() / "Lists");

    FirstStart::PrepareApplicationFolder();

    EXPECT_EQ(fs::read_symlink(Folder() / "Lists"), Shared("Lists"));
}

TEST_F(InstalledForEveryUser, AProgramFolderIsLeftAlone) {
    const fs::path relocatable = dataHome_ / "relocatable";
    fs::create_directories(relocatable);
    orvane::App::SetPath(relocatable.string());

    FirstStart::PrepareApplicationFolder();

    EXPECT_TRUE(fs::is_empty(relocatable));
    EXPECT_FALSE(fs::exists(Folder()));
}

TEST_F(InstalledForEveryUser, AFolderThatCannotBeMadeIsAnAccessError) {
    // The data home is a file: nothing can be made below it.
    const fs::path file = dataHome_ / "not-a-folder";
    std::ofstream(file) << "x";
    ::setenv("XDG_DATA_HOME", file.c_str(), 1);
    const orvane::Error e = orvane::test::ErrorOf([&] { FirstStart::PrepareApplicationFolder(); });
    EXPECT_EQ(e.Number(), 75);
    EXPECT_NE(e.Description().find(file.string()), std::string::npos) << e.Description();
}
