#include "adodb/DamagedFiles.h"

#include <filesystem>
#include <mutex>
#include <set>

namespace orvane::adodb {
namespace {

// The same file reached through another spelling of its path is one entry.
std::string Key(const std::string& path) {
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

struct Registry {
    std::mutex mutex;
    std::set<std::string> files;
    std::function<std::string(const std::string&)> advice;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

void MarkDatabaseDamaged(const std::string& path) {
    if (path.empty()) return;
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    r.files.insert(Key(path));
}

bool IsDatabaseDamaged(const std::string& path) {
    Registry& r = TheRegistry();
    const std::string key = Key(path);
    const std::lock_guard lock(r.mutex);
    return r.files.count(key) > 0;
}

void SetDamageAdvice(std::function<std::string(const std::string& path)> advice) {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    r.advice = std::move(advice);
}

std::string DamageAdvice(const std::string& path) {
    std::function<std::string(const std::string&)> advice;
    {
        Registry& r = TheRegistry();
        const std::lock_guard lock(r.mutex);
        advice = r.advice;
    }
    return advice ? advice(path) : std::string();
}

}  // namespace orvane::adodb
