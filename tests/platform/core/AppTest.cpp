#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/App.h"

namespace fs = std::filesystem;

namespace {

// Sets (or, with nullopt, removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

fs::path TestProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// A Database folder beside this test program for one scope, as a
// relocatable install has beside orvane.
class DatabaseBesideProgram {
public:
    DatabaseBesideProgram() : folder_(TestProgramFolder() / "Database") { fs::create_directory(folder_); }
    ~DatabaseBesideProgram() {
        std::error_code ec;
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(folder_, ec);
    }
    DatabaseBesideProgram(const DatabaseBesideProgram&) = delete;
    DatabaseBesideProgram& operator=(const DatabaseBesideProgram&) = delete;
    const fs::path& Folder() const { return folder_; }

private:
    fs::path folder_;
};

}  // namespace

TEST(ApplicationFolder, UserDataFolderFollowsXdgDataHomeElseHome) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv data("XDG_DATA_HOME", "/var/lib/someone/data/");
        EXPECT_EQ(orvane::App::UserDataFolder(), "/var/lib/someone/data/orvane");
    }
    {
        // A relative XDG_DATA_HOME is invalid and ignored.
        ScopedEnv data("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(orvane::App::UserDataFolder(), "/home/someone/.local/share/orvane");
    }
    {
        ScopedEnv data("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(orvane::App::UserDataFolder(), "/home/someone/.local/share/orvane");
    }
}

TEST(ApplicationFolder, ProgramFolderWhenItHoldsAWritableDatabaseFolderElseTheUsersFolder) {
    const auto data = fs::temp_directory_path() / ("orvane-app-test-" + std::to_string(::getpid()));
    ScopedEnv xdg("XDG_DATA_HOME", data.string());
    orvane::App::SetPath("");

    // Installed under a system prefix: nothing beside the program.
    EXPECT_EQ(orvane::App::Path(), (data / "orvane").string());
    {
        DatabaseBesideProgram beside;
        EXPECT_EQ(orvane::App::Path(), TestProgramFolder().string());
        if (::geteuid() != 0) {  // root writes any folder, so only another user can be refused
            fs::permissions(beside.Folder(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
            EXPECT_EQ(orvane::App::Path(), (data / "orvane").string());
        }
    }
    EXPECT_EQ(orvane::App::Path(), (data / "orvane").string());

    // A folder set by hand wins, without its trailing separator.
    orvane::App::SetPath("/srv/orvane/");
    EXPECT_EQ(orvane::App::Path(), "/srv/orvane");
    orvane::App::SetPath("");
}

TEST(ApplicationFolder, SharedDataLiesUnderThePrefixOfTheProgramsFolder) {
    EXPECT_EQ(fs::path(orvane::App::SharedDataFolder()), TestProgramFolder().parent_path() / "share" / "orvane");
}
