#include "TempAppFolder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

#include "AddressbookSchema.h"
#include "FileSql.h"
#include "ScratchFolder.h"
#include "adodb/Command.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/App.h"

namespace orvane::test {
namespace {
std::filesystem::path UniqueFolder() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    auto name = "orvane-test-" + std::to_string(rd()) + "-" + std::to_string(counter++);
    return orvane::test::ScratchRoot() / name;
}
}  // namespace

TempAppFolder::TempAppFolder(bool withDatabase) : root_(UniqueFolder()) {
    for (const char* sub : {"Database", "Lists", "Documents"}) std::filesystem::create_directories(root_ / sub);
    App::SetPath(root_.string());
    if (withDatabase) AddressbookSchema::CreateDatabase(DatabaseFile().string());
}

TempAppFolder::~TempAppFolder() {
    App::SetPath("");
    std::error_code ec;
    std::filesystem::permissions(root_ / "Database", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(root_, ec);
}

void TempAppFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
    auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void TempAppFolder::WriteDefaultLists() const {
    WriteFile("Lists/StateProvince.txt", "Alberta\r\nOntario\r\nTexas\r\n");
    WriteFile("Lists/Country.txt", "Canada\r\nMexico\r\nUnited States\r\n");
}

void TempAppFolder::ExecSql(const std::string& sql) const { RunSqlOnFile(DatabaseFile().string(), sql); }

int TempAppFolder::InsertAddress(const std::string& first, const std::string& last, const std::string& address,
                                 const std::string& zip, const std::string& state, const std::string& country,
                                 const std::string& phone) const {
    {
        adodb::Command cmd;
        cmd.SetActiveConnection(ConnectionString());
        cmd.SetCommandText("SaveAddress");
        cmd.Execute({first, last, address, zip, state, country, phone});
    }
    adodb::Connection connection;
    connection.Open(ConnectionString());
    adodb::Recordset rst;
    rst.Open("SELECT MAX(ID) FROM tblAddress", connection);
    return rst.GetRows(-1).Array().At(0, 0).ToLong();
}

}  // namespace orvane::test
