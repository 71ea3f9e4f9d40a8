#pragma once

#include <filesystem>
#include <string>

namespace orvane::test {

// A throw-away application folder: Database/, Lists/ and Documents/ under a
// fresh temp folder, with App::Path() pointed at it while the object lives.
class TempAppFolder {
public:
    // withDatabase: create an empty Database/Addressbook.mdb from the schema.
    explicit TempAppFolder(bool withDatabase = true);
    ~TempAppFolder();
    TempAppFolder(const TempAppFolder&) = delete;
    TempAppFolder& operator=(const TempAppFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::string Path() const { return root_.string(); }
    std::filesystem::path DatabaseFile() const { return root_ / "Database" / "Addressbook.mdb"; }
    // A connection string for the database file, for reading it directly.
    std::string ConnectionString() const {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DatabaseFile().string() + ";";
    }

    // Writes bytes to a file below the folder, e.g. WriteFile("Lists/Country.txt", "...").
    void WriteFile(const std::string& relative, const std::string& bytes) const;
    // Writes the two reference lists with a few entries each.
    void WriteDefaultLists() const;
    // Runs SQL directly on the database file, bypassing the program's tiers.
    void ExecSql(const std::string& sql) const;
    // Inserts an address row directly; returns its ID.
    int InsertAddress(const std::string& first, const std::string& last, const std::string& address = "",
                      const std::string& zip = "", const std::string& state = "",
                      const std::string& country = "", const std::string& phone = "") const;

private:
    std::filesystem::path root_;
};

}  // namespace orvane::test
