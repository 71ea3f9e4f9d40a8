#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "adodb/Command.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/Error.h"
#include "core/Variant.h"

namespace orvane::adodb::test {

// A fresh folder under the system's temp folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        root_ = std::filesystem::temp_directory_path() /
                ("orvane-adodb-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(root_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::string File(const std::string& name) const { return (root_ / name).string(); }

private:
    std::filesystem::path root_;
};

// The address table and its two saved queries, as the program's database holds them.
inline const std::string kAddressSchema = R"sql(
CREATE TABLE tblAddress (
    ID INTEGER PRIMARY KEY AUTOINCREMENT, FirstName TEXT, LastName TEXT, Address TEXT,
    PostalCode TEXT, State TEXT, Country TEXT, Phone TEXT);
CREATE TABLE SavedQueries (Name TEXT PRIMARY KEY COLLATE NOCASE, ParameterCount INTEGER NOT NULL, SqlText TEXT NOT NULL);
INSERT INTO SavedQueries VALUES ('SaveAddress', 7,
    'INSERT INTO tblAddress (FirstName, LastName, Address, PostalCode, State, Country, Phone) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)');
INSERT INTO SavedQueries VALUES ('UpdateAddress', 8,
    'UPDATE tblAddress SET FirstName = ?1, LastName = ?2, Address = ?3, PostalCode = ?4, State = ?5, Country = ?6, Phone = ?7 WHERE ID = ?8');
)sql";

inline std::string ConnectionStringFor(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False;";
}

// All rows of a statement, or the empty value when it has none.
inline Variant ReadAll(Connection& connection, const std::string& sql) {
    Recordset rst;
    rst.Open(sql, connection, adOpenForwardOnly, adLockReadOnly, adOptionUnspecified);
    if (rst.BOF() && rst.Eof()) return Variant();
    return rst.GetRows(-1);
}

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs fn and returns the error it raises; fails the test when it raises none.
template <typename Fn>
Error ErrorOf(Fn&& fn) {
    try {
        fn();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return Error(0, "");
}

}  // namespace orvane::adodb::test
