#include "AddressbookSchema.h"

#include <array>
#include <string>
#include <vector>

#include "adodb/Command.h"
#include "adodb/ConnectionString.h"

namespace AddressbookSchema {

void CreateDatabase(const std::string& path) { orvane::adodb::CreateDatabaseFile(path, Script()); }

void FillGenerated(const std::string& path, int count) {
    static constexpr std::array<const char*, 12> firstNames{"Anna", "Bruno", "Chloé", "David", "Elif", "Farid",
                                                            "Greta", "Hiro", "Ingrid", "José", "Kateřina", "Liam"};
    static constexpr std::array<const char*, 10> lastNames{"Okafor", "Lindqvist", "O'Brien", "Nakamura", "Dubois",
                                                           "García", "Schmidt", "Kowalski", "Rossi", "MacLeod"};
    static constexpr std::array<const char*, 6> states{"Ontario", "Texas", "Quebec", "Oregon", "Ohio", "Yukon"};
    static constexpr std::array<const char*, 3> countries{"Canada", "United States", "Mexico"};
    int row = 0;
    const std::string connection = orvane::adodb::ConnectionStringForFile(path);
    orvane::adodb::ExecuteSavedQueryBatch(connection, "SaveAddress", [&](std::vector<orvane::Variant>& values) {
        if (row >= count) return false;
        const auto n = static_cast<std::size_t>(row);
        values = {firstNames[n % firstNames.size()],
                  std::string(lastNames[(n / firstNames.size()) % lastNames.size()]) + " " + std::to_string(row + 1),
                  std::to_string(1 + n % 9999) + " Main Street",
                  std::to_string(10000 + n % 89999),
                  states[n % states.size()],
                  countries[n % countries.size()],
                  "+1 555 " + std::to_string(1000000 + n % 8999999)};
        ++row;
        return true;
    });
}

}  // namespace AddressbookSchema
