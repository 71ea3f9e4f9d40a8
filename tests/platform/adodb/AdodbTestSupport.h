#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "ScratchFolder.h"
#include "ErrorOf.h"
#include "FileSql.h"
#include "adodb/Command.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/Error.h"
#include "core/Variant.h"

namespace orvane::adodb::test {

// A fresh folder under the system's temp folder, removed with everything in it.
struct TempDir {
    TempDir() {
        std::string pattern = (orvane::test::ScratchRoot() / "orvane-adodb-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no temp folder");
        root = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (root / name).string(); }

    std::filesystem::path root;
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
    rst.Open(sql, connection);
    if (rst.BOF() && rst.Eof()) return Variant();
    return rst.GetRows(-1);
}

inline const Variant kNull = Variant::Null();

// A fields x rows array from its elements, row by row.
inline Variant Rows(std::int32_t fields, std::int32_t rows, std::vector<Variant> elements) {
    return Variant(VariantArray(fields, rows, std::move(elements)));
}

using orvane::test::ErrorOf;
using orvane::test::kEngineCantOpen;
using orvane::test::kEngineError;
using orvane::test::kEngineReadOnly;

// A new address database in a temp folder, with a connection open on it.
class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDatabaseFile(database_, kAddressSchema);
        connection_.Open(ConnectionStringFor(database_));
    }
    // Changes the file's structure as another program would; the open
    // connection sees the change at its next statement.
    void AlterFile(const std::string& sql) const { orvane::test::RunSqlOnFile(database_, sql); }

    TempDir dir_;
    std::string database_ = dir_.File("Addressbook.mdb");
    Connection connection_;
};

}  // namespace orvane::adodb::test
