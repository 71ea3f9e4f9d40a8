#include "DatabaseBackup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "adodb/DamagedFiles.h"
#include "adodb/DatabaseCopy.h"
#include "core/App.h"
#include "core/Error.h"

namespace fs = std::filesystem;

namespace DatabaseBackup {
namespace {

constexpr std::string_view kPrefix = "Addressbook-";
constexpr std::string_view kSuffix = ".mdb";
// The engine's "database disk image is malformed".
constexpr std::int32_t kDamaged = 11;

fs::path BackupFolder(const fs::path& database) { return database.parent_path() / "Backups"; }
fs::path BackupFolder() { return BackupFolder(DatabaseFile()); }

std::string FileName(std::chrono::year_month_day day) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%02u%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return std::string(kPrefix) + digits + std::string(kSuffix);
}

bool IsBackupName(const std::string& name) {
    if (name.size() != kPrefix.size() + 8 + kSuffix.size()) return false;
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kPrefix.size()),
                       name.end() - static_cast<std::ptrdiff_t>(kSuffix.size()),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The date digits of a backup's name, YYYYMMDD.
std::string DateOf(const fs::path& backup) {
    return backup.filename().string().substr(kPrefix.size(), 8);
}

// The copies of a database, newest first by their real age: those dated up
// to today by their date, then those named after today (made while the clock
// was ahead), which count as the oldest of all.
std::vector<fs::path> Backups(std::chrono::year_month_day today, const fs::path& database = DatabaseFile()) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(BackupFolder(database), ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && IsBackupName(it->path().filename().string())) found.push_back(it->path());
    const std::string todayDigits = DateOf(FileName(today));
    std::sort(found.begin(), found.end(), [&](const fs::path& a, const fs::path& b) {
        const bool aFromFuture = DateOf(a) > todayDigits, bFromFuture = DateOf(b) > todayDigits;
        if (aFromFuture != bFromFuture) return bFromFuture;
        return DateOf(a) > DateOf(b);
    });
    return found;
}

std::chrono::year_month_day LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    using namespace std::chrono;
    return year_month_day(year(local.tm_year + 1900), month(static_cast<unsigned>(local.tm_mon + 1)),
                          day(static_cast<unsigned>(local.tm_mday)));
}

std::string NewestBackupAdvice(const std::string& database) {
    const std::vector<fs::path> backups = Backups(LocalToday(), database);
    if (backups.empty()) return " There is no backup of it.";
    return " The newest backup is '" + backups.front().string() + "'.";
}

// Held by the one start of the program that makes the day's backup; a start
// that finds it taken leaves the backup to the other. It is a lock on the
// backup folder itself, which leaves no file behind, and the kernel lets go
// of it when its holder ends, however it ends.
class BackupLock {
public:
    explicit BackupLock(const fs::path& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) throw fs::filesystem_error("cannot open", folder, std::error_code(errno, std::generic_category()));
        held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~BackupLock() { ::close(fd_); }
    BackupLock(const BackupLock&) = delete;
    BackupLock& operator=(const BackupLock&) = delete;
    bool Held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

// The backup folder is as private as the database's own folder.
void MakeBackupFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return;
    const fs::perms mode = fs::status(folder.parent_path()).permissions() & fs::perms::all;
    if (::mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
        throw fs::filesystem_error("cannot create the folder", folder, std::error_code(errno, std::generic_category()));
}

}  // namespace

std::string DatabaseFile() { return orvane::App::NativePath(orvane::App::Path() + "\\Database\\Addressbook.mdb"); }

std::string MakeDaily(std::chrono::year_month_day today) {
    const fs::path folder = BackupFolder();
    const fs::path target = folder / FileName(today);
    const fs::path partial = target.string() + ".part";
    std::error_code ec;
    try {
        // A missing database is reported by the window's first load.
        if (fs::exists(target, ec) || !fs::exists(DatabaseFile(), ec)) return {};
        MakeBackupFolder(folder);
        const BackupLock lock(folder);
        // Another start of the program is making it (or just made it).
        if (!lock.Held() || fs::exists(target, ec)) return {};
        orvane::adodb::QuickCheckDatabase(DatabaseFile());
        // Copied under a temporary name, so a copy cut short (a start that
        // was killed) is never taken for a backup: its leftover goes here.
        fs::remove(partial, ec);
        try {
            orvane::adodb::CopyDatabase(DatabaseFile(), partial.string());
            fs::rename(partial, target);
        } catch (...) {
            // While the lock is held: the copy is this start's own.
            fs::remove(partial, ec);
            throw;
        }
        const std::vector<fs::path> backups = Backups(today);
        for (std::size_t i = kKeptBackups; i < backups.size(); ++i)
            if (backups[i] != target) fs::remove(backups[i]);
        return {};
    } catch (const orvane::Error& e) {
        return "The daily backup of the address database was not made: " + e.Description();
    } catch (const std::exception& e) {
        return "The daily backup of the address database was not made: " + std::string(e.what());
    }
}

std::optional<std::string> Newest() {
    const std::vector<fs::path> backups = Backups(LocalToday());
    if (backups.empty()) return std::nullopt;
    return backups.front().string();
}

void AdviseOnDamage() { orvane::adodb::SetDamageAdvice(NewestBackupAdvice); }

void RefuseWritesIfDamaged() {
    const std::string file = DatabaseFile();
    if (!orvane::adodb::IsDatabaseDamaged(file)) return;
    throw orvane::Error(kDamaged, "The address database '" + file + "' is damaged, so no changes are written to it." +
                                      NewestBackupAdvice(file));
}

}  // namespace DatabaseBackup
