// The daily backup under bad luck: several starts at once, a clock that was
// once wrong, a copy killed half way, a damaged file, odd folder names.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "AddressbookSchema.h"
#include "CDataDBTier.h"
#include "DatabaseBackup.h"
#include "DataTestSupport.h"
#include "TempAppFolder.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/App.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::VariantArray;
using orvane::test::TempAppFolder;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

using orvane::test::AddressRecord;
using orvane::test::ErrorText;
using orvane::test::FileBytes;

// The number of addresses in a database file, read directly.
std::int32_t AddressesIn(const fs::path& file) {
    std::string quoted;
    for (const char c : file.string()) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    orvane::adodb::Connection connection;
    connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + quoted + "\";Mode=Read;");
    orvane::adodb::Recordset rst;
    rst.Open("SELECT COUNT(*) FROM tblAddress", connection);
    return rst.GetRows(-1).Array().At(0, 0).ToLong();
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The names of the backups (other files there, such as a lock, left out).
std::vector<std::string> BackupNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const std::string& name : Names(folder))
        if (name.starts_with("Addressbook-")) names.push_back(name);
    return names;
}

std::string BackupName(year_month_day day) {
    char text[32];
    std::snprintf(text, sizeof text, "Addressbook-%04d%02u%02u.mdb", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

year_month_day LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return year_month_day(year(local.tm_year + 1900), month(static_cast<unsigned>(local.tm_mon + 1)),
                          day(static_cast<unsigned>(local.tm_mday)));
}

year_month_day DaysAfter(year_month_day from, int days) { return year_month_day(sys_days(from) + std::chrono::days(days)); }

// Writes garbage over one page in the middle of the file.
void DamageMiddlePage(const fs::path& file) {
    const auto size = fs::file_size(file);
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>((size / 4096 / 2) * 4096));
    const std::string garbage(4096, '\xA5');
    out.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
}

// A database that takes the engine a while to copy: a start killed or
// racing another is then caught half way through.
void FillLarge(const TempAppFolder& folder) {
    AddressbookSchema::FillGenerated(folder.DatabaseFile().string(), 60000);
}

// Starts a process that makes the day's backup once the writing end of `go`
// is closed; it exits 0 when it reported nothing, 1 otherwise (the report
// on stderr).
pid_t StartBackupProcess(const int (&go)[2], year_month_day today) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(go[1]);
        char byte;
        while (::read(go[0], &byte, 1) > 0) {
        }
        const std::string problem = DatabaseBackup::MakeDaily(today);
        if (!problem.empty()) std::fprintf(stderr, "backup process %d: %s\n", ::getpid(), problem.c_str());
        ::_exit(problem.empty() ? 0 : 1);
    }
    return pid;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(DailyBackup, StartsAtTheSameMomentMakeOneBackupAndReportNothing) {
    TempAppFolder folder;
    FillLarge(folder);
    const fs::path backups = folder.Root() / "Database" / "Backups";
    const year_month_day today = year(2026) / 12 / 7;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        fs::remove_all(backups);
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        std::vector<pid_t> starts;
        for (int i = 0; i < 4; ++i) starts.push_back(StartBackupProcess(pipe, today));
        ::close(pipe[0]);
        ::close(pipe[1]);  // all go at once
        for (const pid_t pid : starts) EXPECT_EQ(ExitStatus(pid), 0);
        EXPECT_EQ(BackupNames(backups), std::vector<std::string>{BackupName(today)});
        for (const std::string& name : Names(backups)) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
        if (fs::exists(backups / BackupName(today))) {
            EXPECT_EQ(AddressesIn(backups / BackupName(today)), 60000);
        }
    }
}

TEST(DailyBackup, BackupsNamedAfterTodayNeverPushOutTodaysBackup) {
    TempAppFolder folder;
    folder.InsertAddress("Ada", "Lovelace");
    const fs::path backups = folder.Root() / "Database" / "Backups";
    // Made while the clock was a month ahead.
    for (unsigned d = 1; d <= 7; ++d) ASSERT_EQ(DatabaseBackup::MakeDaily(year(2027) / 1 / d), "");

    folder.InsertAddress("Grace", "Hopper");
    ASSERT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / 7), "");
    std::vector<std::string> names = BackupNames(backups);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(names.front(), "Addressbook-20261207.mdb");
    EXPECT_EQ(AddressesIn(backups / "Addressbook-20261207.mdb"), 2);

    // Each later day the misdated copies count as the oldest and go first.
    ASSERT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / 8), "");
    names = BackupNames(backups);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(names[0], "Addressbook-20261207.mdb");
    EXPECT_EQ(names[1], "Addressbook-20261208.mdb");
    for (unsigned d = 9; d <= 13; ++d) ASSERT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / d), "");
    EXPECT_EQ(BackupNames(backups),
              (std::vector<std::string>{"Addressbook-20261207.mdb", "Addressbook-20261208.mdb",
                                        "Addressbook-20261209.mdb", "Addressbook-20261210.mdb",
                                        "Addressbook-20261211.mdb", "Addressbook-20261212.mdb",
                                        "Addressbook-20261213.mdb"}));
}

TEST(DailyBackup, TheNewestBackupNamedIsTheNewestByItsRealAge) {
    TempAppFolder folder;
    const fs::path backups = folder.Root() / "Database" / "Backups";
    const year_month_day today = LocalToday();
    ASSERT_EQ(DatabaseBackup::MakeDaily(DaysAfter(today, 40)), "");
    ASSERT_EQ(DatabaseBackup::MakeDaily(DaysAfter(today, -1)), "");
    EXPECT_EQ(DatabaseBackup::Newest(), (backups / BackupName(DaysAfter(today, -1))).string());
    ASSERT_EQ(DatabaseBackup::MakeDaily(today), "");
    EXPECT_EQ(DatabaseBackup::Newest(), (backups / BackupName(today)).string());
}

TEST(DailyBackup, ABackupKilledHalfWayNeverCountsAsThatDaysBackup) {
    TempAppFolder folder;
    FillLarge(folder);
    const fs::path backups = folder.Root() / "Database" / "Backups";
    const year_month_day today = year(2026) / 12 / 7;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        fs::remove_all(backups);
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        const pid_t start = StartBackupProcess(pipe, today);
        ::close(pipe[0]);
        ::close(pipe[1]);
        // Killed as soon as anything of the copy shows in the folder.
        while (BackupNames(backups).empty() && ::waitpid(start, nullptr, WNOHANG) == 0) {
        }
        ::kill(start, SIGKILL);
        ::waitpid(start, nullptr, 0);
        // Whatever was left, the day's backup is either absent or whole...
        if (fs::exists(backups / BackupName(today))) {
            EXPECT_EQ(AddressesIn(backups / BackupName(today)), 60000);
        }
        // ...and the next start makes it whole.
        EXPECT_EQ(DatabaseBackup::MakeDaily(today), "");
        EXPECT_EQ(BackupNames(backups), std::vector<std::string>{BackupName(today)});
        EXPECT_EQ(AddressesIn(backups / BackupName(today)), 60000);
    }
}

TEST(DailyBackup, ALeftOverPartialCopyIsNotTakenForTheBackup) {
    TempAppFolder folder;
    folder.InsertAddress("Ada", "Lovelace");
    const fs::path backups = folder.Root() / "Database" / "Backups";
    folder.WriteFile("Database/Backups/Addressbook-20261207.mdb.part", std::string(8192, 'x'));

    EXPECT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / 7), "");

    for (const std::string& name : Names(backups)) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
    EXPECT_EQ(BackupNames(backups), std::vector<std::string>{"Addressbook-20261207.mdb"});
    EXPECT_EQ(AddressesIn(backups / "Addressbook-20261207.mdb"), 1);
}

// Damage the start-up check finds, through the folder or a link to it, is
// known under the file's real path: the file takes no more writes.
TEST(DailyBackup, AFileTheStartUpCheckFindsDamagedTakesNoWritesThroughAnyPath) {
    for (const bool throughLink : {false, true}) {
        SCOPED_TRACE(throughLink ? "through a linked folder" : "through the folder");
        TempAppFolder folder;
        folder.InsertAddress("Ada", "Lovelace");
        // Pages of a table the window never reads, so only the check sees them.
        folder.ExecSql("CREATE TABLE Notes (Body)");
        folder.ExecSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                       "INSERT INTO Notes SELECT randomblob(300) FROM n");
        DamageMiddlePage(folder.DatabaseFile());
        const std::string damaged = FileBytes(folder.DatabaseFile());
        const fs::path link = folder.Root().string() + "-link";
        if (throughLink) {
            fs::create_directory_symlink(folder.Root(), link);
            orvane::App::SetPath(link.string());
        }

        const std::string check = DatabaseBackup::MakeDaily(year(2026) / 12 / 7);
        EXPECT_NE(check.find("is damaged"), std::string::npos) << check;
        orvane::App::SetPath(folder.Path());
        const std::string save = ErrorText([] { CDataDBTier().SaveAddress(AddressRecord(0, "Eve")); });
        EXPECT_NE(save.find(folder.DatabaseFile().string() + "' is damaged"), std::string::npos) << save;
        EXPECT_EQ(FileBytes(folder.DatabaseFile()), damaged);
        fs::remove(link);
    }
}

TEST(DailyBackup, AQuoteInTheFolderNameDoesNotStopTheBackup) {
    const TempAppFolder base(false);
    for (const std::string name : {"q\"uote", "\"", "a\";Mode=Read;\"b"}) {
        SCOPED_TRACE(name);
        const fs::path root = base.Root() / name;
        fs::create_directories(root / "Database");
        orvane::App::SetPath(root.string());
        AddressbookSchema::CreateDatabase((root / "Database" / "Addressbook.mdb").string());
        CDataDBTier().SaveAddress(AddressRecord(0, "Zoe"));

        EXPECT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / 7), "");
        EXPECT_EQ(AddressesIn(root / "Database" / "Backups" / "Addressbook-20261207.mdb"), 1);
    }
}

TEST(DailyBackup, BackupsAreAsPrivateAsTheDatabase) {
    TempAppFolder folder;
    folder.InsertAddress("Ada", "Lovelace");
    const fs::path backups = folder.Root() / "Database" / "Backups";
    const auto mode = [](const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0u;
    };
    fs::permissions(folder.DatabaseFile(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / 7), "");
    EXPECT_EQ(mode(backups / "Addressbook-20261207.mdb"), 0600u);

    // A database others may read keeps today's copies as readable as it is.
    const mode_t old = ::umask(022);
    fs::permissions(folder.DatabaseFile(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                               fs::perms::others_read);
    ASSERT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / 8), "");
    ::umask(old);
    EXPECT_EQ(mode(backups / "Addressbook-20261208.mdb"), 0644u);
}
