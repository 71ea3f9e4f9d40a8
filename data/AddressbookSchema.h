#pragma once

#include <string>

// The structure of the address database: tblAddress and the saved queries
// "SaveAddress" and "UpdateAddress", kept in Addressbook.sql.
namespace AddressbookSchema {

// The SQL script that builds a new, empty address database.
const std::string& Script();

// Creates a new database file at path from the script. An existing file is
// never touched: that is an error.
void CreateDatabase(const std::string& path);

// Appends count generated addresses (for demos and benchmarks).
void FillGenerated(const std::string& path, int count);

}  // namespace AddressbookSchema
