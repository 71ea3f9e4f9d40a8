// A crafted database file run through the data tier as the window would:
// list, read one, save a new and a changed address, delete. Every failure
// must be an orvane::Error; the authorizer and the work limits are on.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "CDataDBTier.h"
#include "adodb/WorkLimits.h"
#include "core/App.h"
#include "core/Error.h"

namespace fs = std::filesystem;
using orvane::Variant;

namespace {

// The folder of this fuzzing process, removed when it ends.
struct BaseFolder {
    BaseFolder() : path(fs::temp_directory_path() / ("orvane-fuzz-db-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
        // Stops come quickly, so an endless query costs little fuzzing time.
        orvane::adodb::SetWorkLimits({std::chrono::milliseconds(500), std::size_t{64} << 20});
    }
    ~BaseFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

const fs::path& Base() {
    static const BaseFolder base;
    return base.path;
}

Variant Record(std::int32_t id) {
    orvane::VariantArray a(0, 7, 0, 0);
    a.At(0, 0) = id;
    for (std::int32_t i = 1; i <= 7; ++i) a.At(i, 0) = std::string("v") + std::to_string(i);
    return Variant(std::move(a));
}

template <typename Fn>
void Try(Fn&& fn) {
    try {
        fn();
    } catch (const orvane::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A folder of its own per input: a file found damaged stays refused for
    // the run, and must not shadow the next input.
    static std::uint64_t counter = 0;
    const fs::path folder = Base() / std::to_string(counter++);
    fs::create_directories(folder / "Database");
    {
        std::ofstream out(folder / "Database" / "Addressbook.mdb", std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    orvane::App::SetPath(folder.string());
    {
        CDataDBTier tier;
        std::int32_t id = 1;
        Try([&] {
            const Variant list = tier.FillList();
            if (list.IsArray() && list.Array().UBound(2) >= 0 && list.Array().At(0, 0).GetKind() == Variant::Kind::Long)
                id = list.Array().At(0, 0).ToLong();
        });
        Try([&] { (void)tier.GetAddressDetails(id); });
        Try([&] { tier.SaveAddress(Record(0)); });
        Try([&] { tier.SaveAddress(Record(id)); });
        Try([&] { tier.DeleteAddress(id); });
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
