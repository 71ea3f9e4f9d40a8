#include "DatabaseBackup.h"

#include <algorithm>
#include <cstdio>
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

// The copies of a database, oldest first (the date in the name sorts as text).
std::vector<fs::path> Backups(const fs::path& database = DatabaseFile()) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(BackupFolder(database), ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && IsBackupName(it->path().filename().string())) found.push_back(it->path());
    std::sort(found.begin(), found.end());
    return found;
}

std::string NewestBackupAdvice(const std::string& database) {
    const std::vector<fs::path> backups = Backups(database);
    if (backups.empty()) return " There is no backup of it.";
    return " The newest backup is '" + backups.back().string() + "'.";
}

}  // namespace

std::string DatabaseFile() { return orvane::App::NativePath(orvane::App::Path() + "\\Database\\Addressbook.mdb"); }

std::string MakeDaily(std::chrono::year_month_day today) {
    const fs::path target = BackupFolder() / FileName(today);
    const fs::path partial = target.string() + ".part";
    std::error_code ec;
    try {
        // A missing database is reported by the window's first load.
        if (fs::exists(target, ec) || !fs::exists(DatabaseFile(), ec)) return {};
        orvane::adodb::QuickCheckDatabase(DatabaseFile());
        fs::create_directories(BackupFolder());
        fs::remove(partial, ec);
        // Copied under a temporary name, so a copy cut short is never
        // taken for a backup.
        orvane::adodb::CopyDatabase(DatabaseFile(), partial.string());
        fs::rename(partial, target);
        std::vector<fs::path> backups = Backups();
        for (std::size_t i = 0; i + kKeptBackups < backups.size(); ++i) fs::remove(backups[i]);
        return {};
    } catch (const orvane::Error& e) {
        fs::remove(partial, ec);
        return "The daily backup of the address database was not made: " + e.Description();
    } catch (const std::exception& e) {
        fs::remove(partial, ec);
        return "The daily backup of the address database was not made: " + std::string(e.what());
    }
}

std::optional<std::string> Newest() {
    const std::vector<fs::path> backups = Backups();
    if (backups.empty()) return std::nullopt;
    return backups.back().string();
}

void AdviseOnDamage() { orvane::adodb::SetDamageAdvice(NewestBackupAdvice); }

void RefuseWritesIfDamaged() {
    const std::string file = DatabaseFile();
    if (!orvane::adodb::IsDatabaseDamaged(file)) return;
    throw orvane::Error(kDamaged, "The address database '" + file + "' is damaged, so no changes are written to it." +
                                      NewestBackupAdvice(file));
}

}  // namespace DatabaseBackup
